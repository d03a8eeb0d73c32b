#pragma once
// The HTTP service of every test: the application's live fetcher, but only for loopback addresses. A request for any
// other host fails at once with an error naming it, so that a test which reaches a real install script or
// web service by mistake fails instead of sending traffic off this machine.

#include "platform/HTTPFetching.h"
#include "platform/AppServices.h"
#include "platform/PlatformError.h"

#include <QHostAddress>
#include <QUrl>

#include <memory>

namespace qlan::test {

class LoopbackOnlyHTTPFetcher : public HTTPFetching {
public:
    explicit LoopbackOnlyHTTPFetcher(std::shared_ptr<HTTPFetching> inner = AppServices::live().http)
        : inner_(std::move(inner)) {}

    static bool isLoopback(const QUrl& url) {
        const QString host = url.host();
        if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) return true;
        const QHostAddress address(host);
        return !address.isNull() && address.isLoopback();
    }

    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest& request, std::stop_token stop = {}) override {
        refuseUnlessLoopback(request.url);
        return inner_->data(request, stop);
    }
    std::pair<QString, HTTPResponse> download(const QUrl& url, std::stop_token stop = {}) override {
        refuseUnlessLoopback(url);
        return inner_->download(url, stop);
    }
    ByteSample sampleBytes(const HTTPRequest& request, qint64 byteLimit, double timeLimitSeconds,
                           std::stop_token stop = {}) override {
        refuseUnlessLoopback(request.url);
        return inner_->sampleBytes(request, byteLimit, timeLimitSeconds, stop);
    }

private:
    static void refuseUnlessLoopback(const QUrl& url) {
        if (!isLoopback(url))
            throw PlatformError(QStringLiteral("Tests reach loopback addresses only, not %1").arg(url.host()));
    }

    std::shared_ptr<HTTPFetching> inner_;
};

} // namespace qlan::test
