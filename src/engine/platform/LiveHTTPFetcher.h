#pragma once
// HTTP on libcurl, callable from any thread.
//
// Every call runs its transfer on the calling (worker) thread and blocks that thread until the answer is
// complete or the call ends early: its deadline, its idle limit, a body or a head past its limit, an
// answer that cannot be decoded, or a stop request on the caller's token. Its deadline and its stop hold
// before the connection too. Outside a Mac the proxy comes from the *_proxy variables, read on the calling
// thread; on a Mac the system's network settings name it, asked one question at a time for the whole
// process on one thread (SystemProxy), which a hop waits for no longer than its call's clocks allow. A
// name is looked up on a thread of its own, which the call leaves behind when it ends first. Each hop of a
// call (the request, then each redirect) has a connection of its own, and a redirect's hop ends with its
// head: its body is never read. When a call returns its connection is closed and nothing of the process
// reads that answer any more, so no other request ever waits behind it. The GUI thread's event loop is
// never needed.

#include "platform/HTTPFetching.h"
#include "platform/HostLookup.h"
#include "platform/SystemProxy.h"

#if defined(__APPLE__)
#include <QNetworkProxyFactory>
#endif

#include <memory>

namespace qlan {

class LiveHTTPFetcher : public HTTPFetching {
public:
    // The largest body a download may write to its file (installer packages are a few hundred MB).
    static constexpr qint64 defaultDownloadByteLimit = qint64(4) * 1024 * 1024 * 1024;
    // A download ends after this long without a byte; it has no deadline.
    static constexpr double downloadIdleTimeoutSeconds = 60.0;

    // What a hop asks the system before it connects, and how the threads it asks on are made; a test may
    // play either.
    struct SystemQuestions {
        // The proxies the system names for an address, in order: on a Mac its network settings. Asked of
        // every host but this machine, one question at a time (SystemProxy::ask). None: the *_proxy
        // variables, read at once (SystemProxy::fromEnvironment), which is what the system names elsewhere.
#if defined(__APPLE__)
        SystemProxy::Answerer proxiesFor = &QNetworkProxyFactory::systemProxyForQuery;
#else
        SystemProxy::Answerer proxiesFor;
#endif
        HostLookup::ThreadStarter startThread = &HostLookup::startDetached;
    };

    explicit LiveHTTPFetcher(qint64 downloadByteLimit = defaultDownloadByteLimit);
    LiveHTTPFetcher(qint64 downloadByteLimit, SystemQuestions system);

    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest& request, std::stop_token stop = {}) override;
    std::pair<QString, HTTPResponse> download(const QUrl& url, std::stop_token stop = {}) override;
    ByteSample sampleBytes(const HTTPRequest& request, qint64 byteLimit, double timeLimitSeconds,
                           std::stop_token stop = {}) override;

private:
    qint64 downloadByteLimit_;
    std::shared_ptr<const SystemQuestions> system_;
};

} // namespace qlan
