#include "platform/LiveHTTPFetcher.h"

#include "platform/FileDescriptor.h"
#include "platform/PlatformError.h"
#include "platform/UserTemporaryFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSet>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <functional>
#include <future>
#include <limits>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace qlan {

namespace {

// Bytes a reply may buffer before the socket is read no further.
constexpr qint64 kReadBufferBytes = 256 * 1024;
constexpr double kMinimumElapsedSeconds = 0.0001;

enum class Mode { data, download, sample };

// The body bytes of one call, which never counts past its limit: a sample's (it only counts, never
// keeps), a data call's or a download's. All counting happens on the network thread; the caller reads
// the total after the transfer has ended.
class ByteCounter {
public:
    explicit ByteCounter(qint64 limit)
        : limit_(std::max<qint64>(limit, 0)) {}

    // How many of `available` bytes still fit under the limit.
    qint64 room(qint64 available) const { return std::min(available, limit_ - count_); }
    void add(qint64 bytes) { count_ += bytes; }
    bool full() const { return count_ >= limit_; }
    qint64 count() const { return count_; }

private:
    qint64 limit_;
    qint64 count_ = 0;
};

class Transfer;

// One blocking call: filled in on the network thread, waited for on the caller's thread.
struct Call {
    Mode mode = Mode::data;
    HTTPRequest request;
    qint64 byteLimit = 0; // the body bytes counted (a sample) or kept (data, download) at the most
    double timeLimitSeconds = 0;

    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    QByteArray body;
    QString filePath;
    HTTPResponse response;
    ByteSample sample;
    std::exception_ptr error;

    // Network thread only: the transfer serving this call while it runs.
    Transfer* transfer = nullptr;

    void complete() {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        ended.notify_all();
    }
};

std::exception_ptr transportError(const QString& description, QNetworkReply::NetworkError code) {
    return std::make_exception_ptr(TransportError(description, static_cast<int>(code)));
}

// A body that goes past the limit of its call.
std::exception_ptr tooLargeError(Mode mode, qint64 limit) {
    const QString size = QLocale::c().formattedDataSize(limit, 0, QLocale::DataSizeTraditionalFormat);
    return transportError(
        mode == Mode::download
            ? QStringLiteral("The download exceeds the %1 limit.").arg(size)
            : QStringLiteral("The response exceeds the %1 limit for this request.").arg(size),
        QNetworkReply::UnknownContentError);
}

// A compressed answer that does not inflate, or inflates past the limit of its call: Qt's decoder stops
// at either, and tells no more than that.
std::exception_ptr undecodableError(qint64 limit) {
    const QString size = QLocale::c().formattedDataSize(limit, 0, QLocale::DataSizeTraditionalFormat);
    return transportError(QStringLiteral("The answer could not be decoded: its compressed body is damaged or "
                                         "inflates past the %1 limit for this request.")
                              .arg(size),
                          QNetworkReply::UnknownContentError);
}

std::exception_ptr timedOutError() {
    return transportError(QStringLiteral("The request timed out."), QNetworkReply::TimeoutError);
}

std::exception_ptr stoppedError() {
    return transportError(QStringLiteral("Network access has stopped"),
                          QNetworkReply::OperationCanceledError);
}

// The errors Qt reports for an answer whose head carried an HTTP error status (4xx, 5xx). Qt raises
// them only once the whole body has arrived; a broken transfer reports a network-level code instead.
bool isStatusError(QNetworkReply::NetworkError error, int status) {
    const int code = static_cast<int>(error);
    return status >= 400 && (error == QNetworkReply::ProxyAuthenticationRequiredError ||
                             error == QNetworkReply::ProtocolInvalidOperationError ||
                             (code >= 201 && code <= 299) || (code >= 401 && code <= 499));
}

// Qt's decoder gave up on a compressed body: it reports "unknown content" under a status that is no
// error. Qt ends the reply only when the server has sent the rest, so the call ends here instead.
bool isDecodingFailure(QNetworkReply::NetworkError error, int status) {
    return error == QNetworkReply::UnknownContentError && status > 0 && status < 400;
}

bool isFollowedRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 305 || status == 307 || status == 308;
}

int millisecondsFor(double seconds) {
    if (!(seconds > 0)) return 0; // also NaN
    const double ms = std::ceil(seconds * 1000.0);
    return ms >= double(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max() : int(ms);
}

QNetworkReply* send(QNetworkAccessManager& manager, const QNetworkRequest& request, const HTTPRequest& spec) {
    const QByteArray method = spec.method.toUpper();
    if (method == "GET" && spec.body.isEmpty()) return manager.get(request);
    if (method == "HEAD") return manager.head(request);
    if (method == "POST") return manager.post(request, spec.body);
    if (method == "PUT") return manager.put(request, spec.body);
    if (method == "DELETE" && spec.body.isEmpty()) return manager.deleteResource(request);
    return manager.sendCustomRequest(request, method, spec.body);
}

// One request on the network thread. It lives until its call is complete, then deletes itself.
//
// A transfer ended early (its limit, its deadline, an answer that cannot be decoded, a stop) takes its
// connection with it, so that no other request waits behind it. Two things see to that:
// - Each transfer has a network manager of its own, deleted with it. Qt serves a manager's connections on
//   a thread of that manager's, keeps them open for reuse and goes on reading an aborted answer there
//   until it gets round to the abort; a request to the same host on a shared manager would queue behind
//   it. Deleting the manager ends its thread and closes every connection it opened, and no other's.
// - The reply's read buffer limit reaches Qt's connection thread, so that it stops reading an answer
//   nobody takes any more and so handles the abort at once (see start()).
class Transfer : public QObject {
public:
    Transfer(std::shared_ptr<Call> call, QObject& home, QSet<Transfer*>& registry)
        : QObject(&home)
        , call_(std::move(call))
        , registry_(registry)
        , manager_(new QNetworkAccessManager(this))
        , counter_(call_->byteLimit) {
        call_->transfer = this;
        registry_.insert(this);
        start();
    }

    ~Transfer() override {
        registry_.remove(this);
        call_->transfer = nullptr;
        if (!completed_) {
            // Only when the network thread shuts down under a running call.
            completed_ = true;
            discardFile();
            call_->error = stoppedError();
            call_->complete();
        }
    }

    // The caller asked to stop. A sample that has its head returns what it counted; everything else
    // fails with "Operation canceled".
    void cancel() {
        if (completed_) return;
        if (call_->mode == Mode::sample && headArrived_) return endSample();
        cancelRequested_ = true;
        reply_->abort(); // finished() follows at once, with OperationCanceledError
    }

    void shutDown() {
        if (completed_) return;
        fail(stoppedError());
    }

private:
    void start() {
        const HTTPRequest& spec = call_->request;
        QNetworkRequest request(spec.url);
        for (const auto& [name, value] : spec.headers)
            request.setRawHeader(name, value);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        if (spec.ignoreCache)
            request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        if (call_->mode == Mode::data) {
            // Qt inflates a compressed answer whole as it arrives: past the call's own limit it stops.
            request.setDecompressedSafetyCheckThreshold(std::max<qint64>(call_->byteLimit, 0));
        } else if (!request.hasRawHeader("Accept-Encoding")) {
            // A download's checksum and a sample's count are over the bytes as the server stores them.
            // With an encoding of its own asked for, Qt decodes nothing.
            request.setRawHeader("Accept-Encoding", "identity");
        }
        if (const int ms = millisecondsFor(spec.idleTimeoutSeconds); ms > 0) request.setTransferTimeout(ms);

        reply_ = send(*manager_, request, spec);
        // Whatever the server sends, no more than this waits in the reply until it is read. Qt hands the
        // limit to its connection thread only once the request has gone there, which for a request with a
        // body (a post) happens later, on this thread's next turn: set it again then. Without it that
        // thread reads an endless answer on, however fast it comes, and never gets to an abort.
        reply_->setReadBufferSize(kReadBufferBytes);
        QMetaObject::invokeMethod(
            reply_, [reply = reply_] { reply->setReadBufferSize(kReadBufferBytes); }, Qt::QueuedConnection);
        connect(reply_, &QNetworkReply::metaDataChanged, this, &Transfer::onMetaData);
        connect(reply_, &QNetworkReply::readyRead, this, &Transfer::onReadyRead);
        connect(reply_, &QNetworkReply::errorOccurred, this, &Transfer::onError);
        connect(reply_, &QNetworkReply::finished, this, &Transfer::onFinished);

        // The deadline counts from here, however the answer drips in.
        if (const int ms = millisecondsFor(spec.timeoutSeconds); ms > 0) {
            deadline_ = new QTimer(this);
            deadline_->setSingleShot(true);
            deadline_->setTimerType(Qt::PreciseTimer);
            connect(deadline_, &QTimer::timeout, this, &Transfer::onDeadline);
            deadline_->start(ms);
        }
    }

    int status() const { return reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); }

    HTTPResponse response() const {
        HTTPResponse response;
        response.statusCode = status();
        response.url = reply_->url();
        for (const auto& [name, value] : reply_->rawHeaderPairs())
            response.headers.append({name, value});
        return response;
    }

    void onMetaData() {
        // The head of a redirect that Qt is about to follow is not the answer (Qt sets the redirection
        // target only after this signal, so look at the head itself).
        if (isFollowedRedirect(status()) && reply_->hasRawHeader("Location")) return;
        markHead();
    }

    void markHead() {
        if (headArrived_ || completed_) return;
        headArrived_ = true;
        switch (call_->mode) {
        case Mode::data:
            break;
        case Mode::download:
            openFile();
            break;
        case Mode::sample:
            clock_.start();
            if (counter_.full()) return endSample(); // a limit of 0 bytes or below
            timeLimit_ = new QTimer(this);
            timeLimit_->setSingleShot(true);
            timeLimit_->setTimerType(Qt::PreciseTimer);
            connect(timeLimit_, &QTimer::timeout, this, &Transfer::endSample);
            // A limit of zero or below ends the sample once the events already queued are handled.
            timeLimit_->start(millisecondsFor(call_->timeLimitSeconds));
            break;
        }
    }

    void onError(QNetworkReply::NetworkError error) {
        if (completed_ || !isDecodingFailure(error, status())) return;
        fail(undecodableError(call_->byteLimit));
    }

    void onDeadline() {
        if (completed_) return;
        if (call_->mode == Mode::sample && headArrived_) return endSample();
        fail(timedOutError());
    }

    void openFile() {
        auto file = std::make_unique<QTemporaryFile>(UserTemporaryFolder::path() +
                                                     QStringLiteral("/quillane-download-XXXXXX"));
        file->setAutoRemove(false);
        if (!file->open()) {
            return fail(std::make_exception_ptr(PlatformError(file->errorString())));
        }
        file_ = std::move(file);
    }

    void onReadyRead() {
        if (completed_) return;
        markHead();
        if (completed_) return;
        switch (call_->mode) {
        case Mode::data: {
            const QByteArray chunk = reply_->readAll();
            if (!keep(chunk.size())) return;
            call_->body += chunk;
            break;
        }
        case Mode::download: {
            const QByteArray chunk = reply_->readAll();
            if (!keep(chunk.size())) return;
            try {
                // Straight to the descriptor, so a failed write says why (a full disk, say).
                fileio::writeAll(file_->handle(), chunk, file_->fileName(),
                                         QStringLiteral("Couldn't save the download to"));
            } catch (const PlatformError&) {
                return fail(std::current_exception());
            }
            break;
        }
        case Mode::sample: {
            char discard[16 * 1024];
            for (;;) {
                const qint64 wanted =
                    counter_.room(std::min<qint64>(reply_->bytesAvailable(), sizeof discard));
                if (wanted <= 0) break;
                const qint64 got = reply_->read(discard, wanted);
                if (got <= 0) break;
                counter_.add(got);
            }
            if (counter_.full()) endSample();
            break;
        }
        }
    }

    void onFinished() {
        if (completed_) return;
        const QNetworkReply::NetworkError error = reply_->error();
        const bool answered = error == QNetworkReply::NoError || isStatusError(error, status());
        if (answered) onReadyRead(); // whatever is still buffered
        if (completed_) return;

        if (call_->mode == Mode::sample && headArrived_) return endSample(); // read errors are swallowed
        if (!answered) {
            // Qt reports its own transfer time-out as a cancel; only a stop request is one.
            if (error == QNetworkReply::OperationCanceledError && !cancelRequested_)
                return fail(timedOutError());
            if (isDecodingFailure(error, status())) return fail(undecodableError(call_->byteLimit));
            return fail(transportError(reply_->errorString(), error));
        }

        call_->response = response();
        if (call_->mode == Mode::download) {
            if (!file_) openFile(); // an answer without a body event
            if (completed_) return;
            call_->filePath = file_->fileName();
            file_->close();
            file_.reset();
        }
        succeed();
    }

    // Counts `bytes` more of a body that is kept; past the call's limit, fails the call instead.
    bool keep(qint64 bytes) {
        if (counter_.room(bytes) < bytes) {
            fail(tooLargeError(call_->mode, call_->byteLimit));
            return false;
        }
        counter_.add(bytes);
        return true;
    }

    void endSample() {
        if (completed_) return;
        const double elapsed = clock_.isValid() ? double(clock_.nsecsElapsed()) / 1e9 : 0.0;
        call_->sample = ByteSample{counter_.count(), std::max(elapsed, kMinimumElapsedSeconds)};
        succeed();
    }

    void succeed() {
        completed_ = true;
        release();
        call_->complete();
    }

    void fail(std::exception_ptr error) {
        completed_ = true;
        release();
        discardFile();
        call_->error = std::move(error);
        call_->complete();
    }

    void discardFile() {
        if (!file_) return;
        file_->close();
        QFile::remove(file_->fileName());
        file_.reset();
    }

    // Stops the transfer and schedules the cleanup: the reply, then the transfer with its manager, which
    // closes the connection of a transfer that ended early (however much the server would still send).
    void release() {
        if (timeLimit_) timeLimit_->stop();
        if (deadline_) deadline_->stop();
        if (reply_) {
            reply_->disconnect(this);
            // A reply that has reported its error already is not aborted (Qt warns at a second error).
            if (reply_->isRunning() && reply_->error() == QNetworkReply::NoError) reply_->abort();
            reply_->deleteLater();
        }
        deleteLater();
    }

    std::shared_ptr<Call> call_;
    QSet<Transfer*>& registry_;
    QNetworkAccessManager* manager_; // a child: deleted with the transfer
    QPointer<QNetworkReply> reply_;
    bool headArrived_ = false;
    bool cancelRequested_ = false;
    bool completed_ = false;
    std::unique_ptr<QTemporaryFile> file_;
    ByteCounter counter_;
    QElapsedTimer clock_;
    QTimer* timeLimit_ = nullptr;
    QTimer* deadline_ = nullptr;
};

// The network thread and the object its transfers hang from: started on first use, stopped when the
// application object is destroyed (so that nothing of the network stack outlives it).
class NetworkHost {
public:
    static NetworkHost& shared() {
        static NetworkHost* host = new NetworkHost; // lives for the process
        return *host;
    }

    // Runs `work` on the network thread. False when the thread has stopped.
    bool post(std::function<void(QObject& home, QSet<Transfer*>&)> work) {
        std::lock_guard lock(mutex_);
        if (!running_) return false;
        QMetaObject::invokeMethod(
            home_, [this, work = std::move(work)] { work(*home_, transfers_); }, Qt::QueuedConnection);
        return true;
    }

    bool isNetworkThread() const { return QThread::currentThread() == thread_; }

private:
    class Thread : public QThread {
    public:
        std::promise<QObject*> ready;

    protected:
        void run() override {
            QObject home;
            ready.set_value(&home);
            exec();
            // Transfers are children of `home`: any left over fail their calls as they go.
        }
    };

    NetworkHost() {
        auto* thread = new Thread;
        thread->setObjectName(QStringLiteral("quillane-network"));
        auto ready = thread->ready.get_future();
        thread->start();
        home_ = ready.get();
        thread_ = thread;
        running_ = true;
        if (QCoreApplication::instance()) qAddPostRoutine(&NetworkHost::stopShared);
    }

    static void stopShared() { shared().stop(); }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            if (!running_) return;
            running_ = false;
        }
        // Queued after every request already posted: those start, then fail.
        QMetaObject::invokeMethod(
            home_,
            [this] {
                for (Transfer* transfer : QSet<Transfer*>(transfers_))
                    transfer->shutDown();
                thread_->quit();
            },
            Qt::QueuedConnection);
        thread_->wait();
    }

    std::mutex mutex_;
    bool running_ = false;
    QThread* thread_ = nullptr;
    QObject* home_ = nullptr;
    QSet<Transfer*> transfers_; // network thread only
};

// Runs one call on the network thread and waits for it; rethrows its error.
void perform(const std::shared_ptr<Call>& call, const std::stop_token& stop) {
    NetworkHost& host = NetworkHost::shared();
    if (host.isNetworkThread()) throw std::logic_error("LiveHTTPFetcher called on its own network thread");
    if (stop.stop_requested())
        std::rethrow_exception(
            transportError(QStringLiteral("Operation canceled"), QNetworkReply::OperationCanceledError));
    const bool posted =
        host.post([call](QObject& home, QSet<Transfer*>& registry) { new Transfer(call, home, registry); });
    if (!posted) std::rethrow_exception(stoppedError());
    {
        // Posted after the start, so the transfer exists (or has already ended) when this runs.
        std::stop_callback onStop(stop, [call, &host] {
            host.post([call](QObject&, QSet<Transfer*>&) {
                if (call->transfer) call->transfer->cancel();
            });
        });
        std::unique_lock lock(call->mutex);
        call->ended.wait(lock, [&] { return call->done; });
    }
    if (call->error) std::rethrow_exception(call->error);
}

} // namespace

std::pair<QByteArray, HTTPResponse> LiveHTTPFetcher::data(const HTTPRequest& request, std::stop_token stop) {
    auto call = std::make_shared<Call>();
    call->mode = Mode::data;
    call->request = request;
    call->byteLimit = request.maxBodyBytes;
    perform(call, stop);
    return {std::move(call->body), std::move(call->response)};
}

std::pair<QString, HTTPResponse> LiveHTTPFetcher::download(const QUrl& url, std::stop_token stop) {
    auto call = std::make_shared<Call>();
    call->mode = Mode::download;
    call->request.url = url;
    // Installer packages take minutes on a slow line: only a stall ends a download.
    call->request.timeoutSeconds = 0;
    call->request.idleTimeoutSeconds = downloadIdleTimeoutSeconds;
    call->byteLimit = downloadByteLimit_;
    perform(call, stop);
    return {std::move(call->filePath), std::move(call->response)};
}

ByteSample LiveHTTPFetcher::sampleBytes(const HTTPRequest& request, qint64 byteLimit, double timeLimitSeconds,
                                        std::stop_token stop) {
    auto call = std::make_shared<Call>();
    call->mode = Mode::sample;
    call->request = request;
    call->byteLimit = byteLimit;
    call->timeLimitSeconds = timeLimitSeconds;
    perform(call, stop);
    return call->sample;
}

} // namespace qlan
