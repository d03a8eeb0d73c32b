#pragma once
// HTTP on QNetworkAccessManager, callable from any thread.

#include "platform/HTTPFetching.h"

namespace qlan {

class LiveHTTPFetcher : public HTTPFetching {
public:
    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest& request, std::stop_token stop = {}) override;
    std::pair<QString, HTTPResponse> download(const QUrl& url, std::stop_token stop = {}) override;
    ByteSample sampleBytes(const HTTPRequest& request, qint64 byteLimit, double timeLimitSeconds,
                           std::stop_token stop = {}) override;
};

} // namespace qlan
