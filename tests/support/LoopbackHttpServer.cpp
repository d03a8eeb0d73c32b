#include "support/LoopbackHttpServer.h"

#include <QMap>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace qlan::test {

namespace {

constexpr qsizetype kMaxHeadBytes = 1 << 20;
constexpr int kDefaultFillerBytes = 16 * 1024;

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string("loopback server: ") + what + ": " + std::strerror(errno));
}

// Descriptors that no child inherits and sends that raise no SIGPIPE: in the call itself on Linux; on a
// Mac, which has no SOCK_CLOEXEC, pipe2 or accept4, right after it, and SO_NOSIGPIPE on each connection.
[[maybe_unused]] int closedOnExec(int fd) {
    if (fd >= 0) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    return fd;
}

int newSocket() {
#if defined(__linux__)
    return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
#else
    return closedOnExec(::socket(AF_INET, SOCK_STREAM, 0));
#endif
}

int acceptConnection(int listenFd) {
#if defined(__linux__)
    return ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
#else
    const int fd = closedOnExec(::accept(listenFd, nullptr, nullptr));
    const int yes = 1;
    if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &yes, sizeof yes);
    return fd;
#endif
}

bool newPipe(int fds[2]) {
#if defined(__linux__)
    return ::pipe2(fds, O_CLOEXEC) == 0;
#else
    if (::pipe(fds) != 0) return false;
    closedOnExec(fds[0]);
    closedOnExec(fds[1]);
    return true;
#endif
}

#if defined(__linux__)
constexpr int sendFlags = MSG_NOSIGNAL;
#else
constexpr int sendFlags = 0;
#endif

bool sendAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, static_cast<size_t>(size), sendFlags);
        if (sent < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += sent;
        size -= sent;
    }
    return true;
}

bool sendAll(int fd, const QByteArray& bytes) {
    return sendAll(fd, bytes.constData(), bytes.size());
}

QByteArray reasonPhrase(int status) {
    static const QMap<int, QByteArray> phrases{
        {200, "OK"},
        {201, "Created"},
        {204, "No Content"},
        {206, "Partial Content"},
        {301, "Moved Permanently"},
        {302, "Found"},
        {303, "See Other"},
        {304, "Not Modified"},
        {307, "Temporary Redirect"},
        {308, "Permanent Redirect"},
        {400, "Bad Request"},
        {401, "Unauthorized"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {409, "Conflict"},
        {429, "Too Many Requests"},
        {500, "Internal Server Error"},
        {502, "Bad Gateway"},
        {503, "Service Unavailable"},
    };
    return phrases.value(status, "Status");
}

QByteArray headerValue(const HTTPHeaders& headers, const QByteArray& name) {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

bool hasHeaderNamed(const HTTPHeaders& headers, const QByteArray& name) {
    for (const auto& header : headers)
        if (header.first.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

} // namespace

QByteArray LoopbackRequest::header(const QByteArray& name) const {
    return headerValue(headers, name);
}
bool LoopbackRequest::hasHeader(const QByteArray& name) const {
    return hasHeaderNamed(headers, name);
}

struct LoopbackHttpServer::Impl {
    struct Connection {
        int fd = -1;
        bool finished = false;
        std::thread thread;
    };

    int listenFd = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    quint16 port = 0;
    std::thread acceptThread;

    mutable std::mutex mutex;
    bool stopped = false;
    QMap<QString, Handler> routes;
    QList<LoopbackRequest> received;
    std::list<Connection> connections;
    int answering = 0;

    void start() {
        listenFd = newSocket();
        if (listenFd < 0) fail("socket");
        const int yes = 1;
        ::setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        if (::bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) fail("bind");
        if (::listen(listenFd, 128) != 0) fail("listen");
        socklen_t length = sizeof address;
        if (::getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) fail("getsockname");
        port = ntohs(address.sin_port);
        int pipeFds[2];
        if (!newPipe(pipeFds)) fail("pipe");
        wakeRead = pipeFds[0];
        wakeWrite = pipeFds[1];
        acceptThread = std::thread([this] { acceptLoop(); });
    }

    void stop() {
        {
            std::lock_guard lock(mutex);
            stopped = true;
            for (auto& connection : connections)
                if (connection.fd >= 0) ::shutdown(connection.fd, SHUT_RDWR);
        }
        const char byte = 0;
        [[maybe_unused]] const auto written = ::write(wakeWrite, &byte, 1);
        if (acceptThread.joinable()) acceptThread.join();
        // No new connection can appear now; the accept thread is gone.
        for (auto& connection : connections)
            if (connection.thread.joinable()) connection.thread.join();
        connections.clear();
        for (int fd : {listenFd, wakeRead, wakeWrite})
            if (fd >= 0) ::close(fd);
    }

    void acceptLoop() {
        for (;;) {
            pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakeRead, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents != 0) return;
            if ((fds[0].revents & POLLIN) == 0) continue;
            const int fd = acceptConnection(listenFd);
            if (fd < 0) continue;
            const int yes = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);

            std::list<Connection> done;
            std::lock_guard lock(mutex);
            if (stopped) {
                ::close(fd);
                return;
            }
            // Join threads of connections that have ended (outside the list, so it stays short).
            for (auto it = connections.begin(); it != connections.end();) {
                auto next = std::next(it);
                if (it->finished) done.splice(done.end(), connections, it);
                it = next;
            }
            for (auto& connection : done)
                connection.thread.join();
            auto& connection = connections.emplace_back();
            connection.fd = fd;
            connection.thread = std::thread([this, &connection, fd] {
                serve(fd);
                std::lock_guard lock(mutex);
                ::close(fd);
                connection.fd = -1;
                connection.finished = true;
            });
        }
    }

    // Waits `ms` unless the server stops or the client goes away first; false then.
    bool pause(int fd, int ms) {
        if (isStopped()) return false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(ms, 0));
        for (;;) {
            // Rounded up: a pause never ends before its deadline.
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return !isStopped();
            // Stopping shuts the socket down, which wakes this poll as well.
            pollfd pfd{fd, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, int(left.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) return false;
            if (ready == 0) continue;
            char sink[4096];
            const ssize_t got = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
            if (got == 0) return false; // the client closed the connection
            if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
            if (isStopped()) return false;
        }
    }

    bool isStopped() const {
        std::lock_guard lock(mutex);
        return stopped;
    }

    // A client that takes this server for a SOCKS4 proxy (its first byte is 4) names its destination first:
    // a port and an address, a user name, and for SOCKS4a (an address 0.0.0.x) a host name. It is recorded
    // and granted. False when the connection ended in it.
    static bool takeSocksRequest(int fd, LoopbackRequest& request) {
        char first = 0;
        if (::recv(fd, &first, 1, MSG_PEEK) != 1 || first != 4) return true;
        QByteArray fixed(8, '\0');
        QByteArray user;
        QByteArray host;
        if (::recv(fd, fixed.data(), 8, MSG_WAITALL) != 8 || !receiveName(fd, user)) return false;
        const bool named = fixed.mid(4, 3) == QByteArray(3, '\0') && fixed[7] != 0;
        if (named && !receiveName(fd, host)) return false;
        for (int i = 4; !named && i < 8; ++i)
            host += QByteArray::number(quint8(fixed[i])) + (i < 7 ? "." : "");
        request.socksDestination = host + ':' + QByteArray::number(quint8(fixed[2]) * 256 + quint8(fixed[3]));
        return sendAll(fd, QByteArray("\0\x5a\0\0\0\0\0\0", 8));
    }

    // The bytes up to a NUL, which is not kept; false when the connection ends first or they run long.
    static bool receiveName(int fd, QByteArray& name) {
        for (char byte = 0; name.size() < 256 && ::recv(fd, &byte, 1, 0) == 1; name += byte)
            if (byte == 0) return true;
        return false;
    }

    static bool readRequest(int fd, LoopbackRequest& request) {
        QByteArray buffer;
        qsizetype headEnd = -1;
        char chunk[16384];
        while ((headEnd = buffer.indexOf("\r\n\r\n")) < 0) {
            if (buffer.size() > kMaxHeadBytes) return false;
            const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            buffer.append(chunk, got);
        }
        const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        if (requestLine.size() < 3) return false;
        request.method = requestLine[0];
        request.target = QString::fromLatin1(requestLine[1]);
        request.path = request.target.section(QLatin1Char('?'), 0, 0);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0) continue;
            request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        }
        request.body = buffer.mid(headEnd + 4);
        const qint64 length = headerValue(request.headers, "Content-Length").toLongLong();
        while (request.body.size() < length) {
            const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            request.body.append(chunk, got);
        }
        request.body.truncate(length);
        return true;
    }

    LoopbackResponse answerFor(const LoopbackRequest& request) {
        Handler handler;
        {
            std::lock_guard lock(mutex);
            received.append(request);
            ++answering;
            handler = routes.value(request.path);
        }
        if (handler) return handler(request);
        return LoopbackResponse{.status = 404, .body = "not found"};
    }

    void serve(int fd) {
        LoopbackRequest request;
        if (!takeSocksRequest(fd, request) || !readRequest(fd, request)) return;
        const LoopbackResponse response = answerFor(request);
        answer(fd, request, response);
        std::lock_guard lock(mutex);
        --answering;
    }

    void answer(int fd, const LoopbackRequest& request, const LoopbackResponse& response) {
        if (!pause(fd, response.headDelayMs)) return;
        if (response.closeWithoutAnswer) return;
        if (!response.rawAnswer.isEmpty()) {
            if (sendAll(fd, response.rawAnswer)) finish(fd);
            return;
        }

        QByteArray head =
            "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
        for (const auto& [name, value] : response.headers)
            head += name + ": " + value + "\r\n";
        if (!response.endless && !hasHeaderNamed(response.headers, "Content-Length"))
            head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        if (!response.closeSilently) head += "Connection: close\r\n";
        if (response.cutHeadAfterBytes >= 0) {
            if (sendAll(fd, head.left(response.cutHeadAfterBytes))) finish(fd);
            return;
        }
        if (!response.headFiller.isEmpty()) {
            if (!sendAll(fd, head)) return;
            return sendEndlessly(fd, response.headFiller, response);
        }
        head += "\r\n";
        if (!sendAll(fd, head)) return;
        if (request.method == "HEAD") return finish(fd);

        QByteArray body = response.body;
        if (response.cutAfterBytes >= 0) body.truncate(response.cutAfterBytes);
        const qsizetype piece = response.chunkBytes > 0 ? response.chunkBytes : body.size();
        for (qsizetype offset = 0; offset < body.size(); offset += piece) {
            if (response.chunkBytes > 0 && !pause(fd, response.chunkDelayMs)) return;
            if (!sendAll(fd, body.constData() + offset, std::min(piece, body.size() - offset))) return;
        }
        if (response.cutAfterBytes >= 0) return; // closed early: the client sees a short body
        if (response.endless) return sendEndlessly(fd, "x", response);
        if (response.closeSilently) return; // the connection thread closes it now
        finish(fd);
    }

    // Sends `unit` over and over, in pieces of about the response's chunk size and at its pace, until the
    // client goes away or the server stops.
    void sendEndlessly(int fd, const QByteArray& unit, const LoopbackResponse& response) {
        const qsizetype size = response.chunkBytes > 0 ? response.chunkBytes : kDefaultFillerBytes;
        const QByteArray piece = unit.repeated(std::max<qsizetype>(1, size / unit.size()));
        while (pause(fd, response.chunkDelayMs))
            if (!sendAll(fd, piece)) return;
    }

    // Ends the answer cleanly: no more output, then wait (briefly) for the client to close, so that
    // closing never resets a connection whose answer the client has not read yet.
    void finish(int fd) {
        ::shutdown(fd, SHUT_WR);
        char sink[4096];
        for (int rounds = 0; rounds < 20 && !isStopped(); ++rounds) {
            pollfd pfd{fd, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, 100);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) return;
            if (ready == 0) continue;
            const ssize_t got = ::recv(fd, sink, sizeof sink, 0);
            if (got <= 0 && !(got < 0 && errno == EINTR)) return;
        }
    }
};

LoopbackHttpServer::LoopbackHttpServer()
    : impl_(std::make_unique<Impl>()) {
    impl_->start();
}

LoopbackHttpServer::~LoopbackHttpServer() {
    impl_->stop();
}

quint16 LoopbackHttpServer::port() const {
    return impl_->port;
}

QUrl LoopbackHttpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(impl_->port).arg(path));
}

void LoopbackHttpServer::route(const QString& path, LoopbackResponse response) {
    routeHandler(path, [response = std::move(response)](const LoopbackRequest&) { return response; });
}

void LoopbackHttpServer::routeHandler(const QString& path, Handler handler) {
    std::lock_guard lock(impl_->mutex);
    impl_->routes.insert(path, std::move(handler));
}

QList<LoopbackRequest> LoopbackHttpServer::requests() const {
    std::lock_guard lock(impl_->mutex);
    // A list of its own, never one that shares the server's, to which the connection threads append.
    QList<LoopbackRequest> copy;
    copy.reserve(impl_->received.size());
    for (const LoopbackRequest& request : impl_->received)
        copy.append(request);
    return copy;
}

int LoopbackHttpServer::answersInProgress() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->answering;
}

quint16 LoopbackHttpServer::refusedPort() {
    const int fd = newSocket();
    if (fd < 0) fail("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        fail("bind");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace qlan::test
