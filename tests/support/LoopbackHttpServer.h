#pragma once
// A scripted HTTP/1.1 server on 127.0.0.1 for tests.
//
// It listens on a free port from construction to destruction and serves on threads of its own (one
// accept thread, one thread per connection), so a test may call a blocking fetcher from its own thread.
// Every connection carries one request and one answer ("Connection: close"). Answers are scripted per
// path (the query is ignored when matching); a path without a route gets 404 "not found". Every request
// is recorded before it is answered. A response may instead play a server that closes silently: no
// "Connection: close", and the connection closed right after the answer. A client may also take the
// server for a SOCKS4 proxy: the destination it asks for is recorded and granted, and the request that
// follows on that connection is served here.
//
//   LoopbackHttpServer server;
//   server.route("/index.json", {.status = 200, .headers = {{"Content-Type", "application/json"}},
//                                .body = "{}"});
//   fetch(server.url("/index.json"));
//   server.requests()[0].header("Range");

#include "platform/HTTPFetching.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace qlan::test {

struct LoopbackRequest {
    QByteArray method;
    QString target; // path and query as sent
    QString path;   // without the query
    HTTPHeaders headers;
    QByteArray body{};
    QByteArray socksDestination{}; // "host:port" asked for through SOCKS4, empty when the request came direct

    // The value of the first header with this name (case-insensitive), or empty.
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const;
};

struct LoopbackResponse {
    int status = 200;
    HTTPHeaders headers{}; // sent as given; "Content-Length" is added unless given or endless
    QByteArray body{};
    int headDelayMs = 0;       // pause before the head is sent
    int chunkBytes = 0;        // > 0: the body goes out in pieces of this size...
    int chunkDelayMs = 0;      // ...with this pause before each piece
    bool endless = false;      // after the body, filler bytes follow until the client goes away (no length)
    qint64 cutAfterBytes = -1; // >= 0: announce the whole body, close after this many body bytes
    bool closeWithoutAnswer = false; // read the request, then close without a byte of answer
    bool closeSilently = false;      // no "Connection: close"; the connection closes right after the answer
    qint64 cutHeadAfterBytes = -1;   // >= 0: close after this many bytes of the head, before its end
    // Not empty: these bytes are the whole answer, then the connection closes.
    QByteArray rawAnswer{};
    // Not empty: the head never ends. After the status line and the headers this goes out again and again
    // (paced like an endless body) until the client goes away: "x" makes one endless line, "X-Pad: x\r\n"
    // endless lines.
    QByteArray headFiller{};
};

class LoopbackHttpServer {
public:
    // Called on a connection thread, possibly on several at once.
    using Handler = std::function<LoopbackResponse(const LoopbackRequest&)>;

    LoopbackHttpServer();
    ~LoopbackHttpServer(); // closes every open connection and joins every thread
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    quint16 port() const;
    // "http://127.0.0.1:<port>" + path (path and query, starting with "/").
    QUrl url(const QString& path) const;

    void route(const QString& path, LoopbackResponse response);
    // A template, so that no compiler tries a braced response ({.body = ...}) as a Handler: Clang with
    // libstdc++ fails there instead of passing over it.
    template <typename F>
    requires std::is_invocable_r_v<LoopbackResponse, F&, const LoopbackRequest&>
    void route(const QString& path, F handler) { routeHandler(path, Handler(std::move(handler))); }

    // Every request received so far, in arrival order: a copy of the server's list, made under its lock.
    QList<LoopbackRequest> requests() const;
    // Requests whose answer is still being sent (or held back). An answer ends when it is complete,
    // or when the client goes away in the middle of it.
    int answersInProgress() const;

    // A loopback port on which nothing listens (bound once, then closed): connecting is refused.
    static quint16 refusedPort();

private:
    void routeHandler(const QString& path, Handler handler);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace qlan::test
