#pragma once
// HTTP requests, downloads into temporary files, and timed samples. All three block the calling
// thread (call them from a worker thread, never the GUI thread) and throw TransportError when the
// request fails before a response head arrives. Nothing grows without bound, whatever a server sends:
// data() keeps at most the request's `maxBodyBytes`, a download has a limit of its own, and a sample
// counts without keeping. A body that cannot be decoded (a damaged compressed answer, or one that
// inflates past its limit) fails the call at once.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <stop_token>
#include <utility>

namespace qlan {

using HTTPHeaders = QList<QPair<QByteArray, QByteArray>>;

struct HTTPRequest {
    QUrl url;
    QByteArray method = "GET";
    HTTPHeaders headers;
    QByteArray body;
    // A deadline: the request ends this long after it starts, whatever arrives meanwhile (none when zero
    // or below). A sample that has its head then reports what it counted.
    double timeoutSeconds = 60.0;
    // No byte for this long ends the request (none when zero or below).
    double idleTimeoutSeconds = 0;
    bool ignoreCache = false;
    // The most body bytes data() keeps for this request: a longer body fails the call with a
    // TransportError saying so. Each caller sets what it expects to receive.
    qint64 maxBodyBytes = 1024 * 1024;
    // data() ends with the answer's head: it returns an empty body, none of which is read, and the
    // connection closes however much the server would still send, so neither the body's length nor its
    // pace decides the call (a redirect's answer is followed as ever).
    bool headOnly = false;

    void setHeader(const QByteArray& name, const QByteArray& value) { headers.append({name, value}); }
    friend bool operator==(const HTTPRequest&, const HTTPRequest&) = default;
};

struct HTTPResponse {
    int statusCode = 0;
    QUrl url;
    HTTPHeaders headers;

    QByteArray header(const QByteArray& name) const {
        for (const auto& [key, value] : headers)
            if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
        return {};
    }
    friend bool operator==(const HTTPResponse&, const HTTPResponse&) = default;
};

struct ByteSample {
    qint64 bytes = 0;
    double elapsedSeconds = 0.0001;
    friend bool operator==(const ByteSample&, const ByteSample&) = default;
};

class HTTPFetching {
public:
    virtual ~HTTPFetching() = default;

    // The whole body and the response; redirects followed; the status is not examined. A body longer
    // than the request's `maxBodyBytes` fails the call.
    virtual std::pair<QByteArray, HTTPResponse> data(const HTTPRequest& request,
                                                     std::stop_token stop = {}) = 0;

    // The path of a temporary file holding the body as the server stored it (asked for without a content
    // encoding, and never decoded), and the response. The caller moves or deletes it. A download has an
    // idle limit and no deadline. A body past the fetcher's download limit, or one the disk cannot take
    // (the error says why), fails the call and leaves no file behind.
    virtual std::pair<QString, HTTPResponse> download(const QUrl& url, std::stop_token stop = {}) = 0;

    // How many body bytes arrive (as sent, never decoded) before the byte limit, the end of the body, a
    // read error, the time limit or the request's deadline, whichever comes first; elapsed time is
    // measured from the response head, at least 0.0001 s.
    virtual ByteSample sampleBytes(const HTTPRequest& request, qint64 byteLimit, double timeLimitSeconds,
                                   std::stop_token stop = {}) = 0;
};

} // namespace qlan
