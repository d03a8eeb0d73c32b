#include "platform/LiveHTTPFetcher.h"

#include "platform/PlatformError.h"

namespace qlan {

std::pair<QByteArray, HTTPResponse> LiveHTTPFetcher::data(const HTTPRequest&, std::stop_token) {
    throw TransportError(QStringLiteral("not connected"));
}
std::pair<QString, HTTPResponse> LiveHTTPFetcher::download(const QUrl&, std::stop_token) {
    throw TransportError(QStringLiteral("not connected"));
}
ByteSample LiveHTTPFetcher::sampleBytes(const HTTPRequest&, qint64, double, std::stop_token) {
    throw TransportError(QStringLiteral("not connected"));
}

} // namespace qlan
