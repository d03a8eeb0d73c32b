#pragma once
// HTTP on QNetworkAccessManager, callable from any thread.
//
// One network thread, started on first use and living for the process, runs every transfer; every call
// hands its request to that thread and blocks the calling (worker) thread until the answer is complete.
// The GUI thread's event loop is never needed. Each transfer has a QNetworkAccessManager of its own,
// deleted with it, so a request ended early (its limit, its deadline, an answer that cannot be decoded,
// a stop) closes its connection at once and no other request waits behind it. A stop request on the
// caller's token aborts the transfer. When the application object goes away the network thread stops;
// calls still waiting then fail, and later calls fail at once.

#include "platform/HTTPFetching.h"

namespace qlan {

class LiveHTTPFetcher : public HTTPFetching {
public:
    // The largest body a download may write to its file (installer packages are a few hundred MB).
    static constexpr qint64 defaultDownloadByteLimit = qint64(4) * 1024 * 1024 * 1024;
    // A download ends after this long without a byte; it has no deadline.
    static constexpr double downloadIdleTimeoutSeconds = 60.0;

    explicit LiveHTTPFetcher(qint64 downloadByteLimit = defaultDownloadByteLimit)
        : downloadByteLimit_(downloadByteLimit) {}

    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest& request, std::stop_token stop = {}) override;
    std::pair<QString, HTTPResponse> download(const QUrl& url, std::stop_token stop = {}) override;
    ByteSample sampleBytes(const HTTPRequest& request, qint64 byteLimit, double timeLimitSeconds,
                           std::stop_token stop = {}) override;

private:
    qint64 downloadByteLimit_;
};

} // namespace qlan
