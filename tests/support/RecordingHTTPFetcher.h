#pragma once
// An HTTP service for tests that records every request and download it is given and passes it on to
// the live fetcher, for loopback addresses only. `timeoutOverride`, when set, shortens the
// time limit of the requests it passes on, so that a time-out can be provoked without a long wait; the
// recorded request keeps the limit the caller asked for. `downloadFolder`, when set, is where downloads
// are moved to (a sandbox's temporary folder, so that the sandbox's file system finds them).

#include "support/LoopbackOnlyHTTPFetcher.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QUrl>

#include <mutex>
#include <optional>

namespace qlan::test {

class RecordingHTTPFetcher : public HTTPFetching {
public:
    std::optional<double> timeoutOverride;
    std::optional<QString> downloadFolder;

    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest& request, std::stop_token stop = {}) override {
        HTTPRequest sent = request;
        {
            std::lock_guard lock(mutex_);
            requests_.append(request);
            if (timeoutOverride) sent.timeoutSeconds = *timeoutOverride;
        }
        return live_->data(sent, stop);
    }
    std::pair<QString, HTTPResponse> download(const QUrl& url, std::stop_token stop = {}) override {
        {
            std::lock_guard lock(mutex_);
            downloads_.append(url);
        }
        auto [path, response] = live_->download(url, stop);
        if (downloadFolder) {
            const QString moved = *downloadFolder + QLatin1Char('/') + QFileInfo(path).fileName();
            if (!QFile::rename(path, moved)) QFile::remove(path);
            path = moved;
        }
        return {path, response};
    }
    ByteSample sampleBytes(const HTTPRequest& request, qint64 byteLimit, double timeLimitSeconds,
                           std::stop_token stop = {}) override {
        {
            std::lock_guard lock(mutex_);
            requests_.append(request);
        }
        return live_->sampleBytes(request, byteLimit, timeLimitSeconds, stop);
    }

    QList<HTTPRequest> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    QList<QUrl> downloads() const {
        std::lock_guard lock(mutex_);
        return downloads_;
    }

private:
    std::shared_ptr<HTTPFetching> live_ = std::make_shared<LoopbackOnlyHTTPFetcher>();
    mutable std::mutex mutex_;
    QList<HTTPRequest> requests_;
    QList<QUrl> downloads_;
};

} // namespace qlan::test
