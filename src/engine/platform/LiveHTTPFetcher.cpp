#include "platform/LiveHTTPFetcher.h"

#include "platform/FileDescriptor.h"
#include "platform/HostLookup.h"
#include "platform/PlatformError.h"
#include "platform/SystemProxy.h"
#include "platform/UserTemporaryFolder.h"

#include <QHostAddress>
#include <QLocale>
#include <QNetworkReply>
#include <QTemporaryFile>

// The protocols are set with the option every libcurl of a Mac knows (the text form came later).
#define CURL_DISABLE_DEPRECATION
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <initializer_list>
#include <memory>
#include <utility>

namespace qlan {

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kMinimumElapsedSeconds = 0.0001;
// The most bytes one head of an answer may have: libcurl's own limit for one line of it, taken for all.
constexpr qint64 kHeadLimitBytes = CURL_MAX_HTTP_HEADER;
constexpr int kMaxRedirects = 50;
// The longest wait between two looks at the clocks and the stop request.
constexpr int kLongestWaitMs = 1000;

enum class Mode { data, download, sample };

// The body bytes of one call, which never counts past its limit: a sample's (it only counts, never
// keeps), a data call's or a download's.
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

QString dataSize(qint64 bytes) {
    return QLocale::c().formattedDataSize(bytes, 0, QLocale::DataSizeTraditionalFormat);
}

std::exception_ptr transportError(const QString& description, QNetworkReply::NetworkError code) {
    return std::make_exception_ptr(TransportError(description, static_cast<int>(code)));
}

// A body that goes past the limit of its call.
std::exception_ptr tooLargeError(Mode mode, qint64 limit) {
    return transportError(
        mode == Mode::download
            ? QStringLiteral("The download exceeds the %1 limit.").arg(dataSize(limit))
            : QStringLiteral("The response exceeds the %1 limit for this request.").arg(dataSize(limit)),
        QNetworkReply::UnknownContentError);
}

// A compressed answer that does not inflate, or inflates past the limit of its call.
std::exception_ptr undecodableError(qint64 limit) {
    return transportError(QStringLiteral("The answer could not be decoded: its compressed body is damaged or "
                                         "inflates past the %1 limit for this request.")
                              .arg(dataSize(limit)),
                          QNetworkReply::UnknownContentError);
}

std::exception_ptr headTooLargeError() {
    return transportError(
        QStringLiteral("The response head exceeds the %1 limit.").arg(dataSize(kHeadLimitBytes)),
        QNetworkReply::ProtocolFailure);
}

std::exception_ptr timedOutError() {
    return transportError(QStringLiteral("The request timed out."), QNetworkReply::TimeoutError);
}

std::exception_ptr canceledError() {
    return transportError(QStringLiteral("Operation canceled"), QNetworkReply::OperationCanceledError);
}

// The connection closed before the answer's head ended: with nothing, or with part of a head.
std::exception_ptr emptyReplyError() {
    return transportError(QStringLiteral("Empty reply from server"), QNetworkReply::RemoteHostClosedError);
}

std::exception_ptr insecureRedirectError() {
    return transportError(QStringLiteral("Insecure redirect"), QNetworkReply::InsecureRedirectError);
}

std::exception_ptr tooManyRedirectsError() {
    return transportError(QStringLiteral("Too many redirects"), QNetworkReply::TooManyRedirectsError);
}

std::exception_ptr unknownProtocolError(const QString& scheme) {
    return transportError(QStringLiteral("Protocol \"%1\" is unknown").arg(scheme),
                          QNetworkReply::ProtocolUnknownError);
}

// `bytes` with each byte that `encodes` picks written as "%XX"; `encodes` sees the bytes from that one on.
QByteArray percentEncoded(const QByteArray& bytes, bool (*encodes)(QByteArrayView)) {
    QByteArray encoded;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (!encodes(QByteArrayView(bytes).sliced(at))) {
            encoded += bytes[at];
            continue;
        }
        encoded += '%';
        encoded += QByteArray(1, bytes[at]).toHex().toUpper();
    }
    return encoded;
}

// A Location that names no address a request can go to. Its bytes are shown as a URL carries them: anything
// but a printable character percent-encoded, so no control character reaches the text.
std::exception_ptr unparsableRedirectError(const QByteArray& location) {
    const QByteArray shown = percentEncoded(
        location, [](QByteArrayView rest) { return !(rest[0] > ' ' && rest[0] < '\x7f' && rest[0] != '%'); });
    return transportError(
        QStringLiteral("The redirect target URL could not be parsed: “%1”").arg(QString::fromLatin1(shown)),
        QNetworkReply::ProtocolUnknownError);
}

std::exception_ptr unresolvedError(const QString& host, bool isProxy) {
    return isProxy ? transportError(QStringLiteral("Could not resolve proxy: %1").arg(host),
                                    QNetworkReply::ProxyNotFoundError)
                   : transportError(QStringLiteral("Could not resolve host: %1").arg(host),
                                    QNetworkReply::HostNotFoundError);
}

// No thread could be made to ask the system about the host (its proxy, its addresses).
std::exception_ptr notLookedUpError(const QString& host) {
    return transportError(QStringLiteral("Could not look up host: %1").arg(host),
                          QNetworkReply::UnknownNetworkError);
}

// libcurl, set up once for the process. On a Mac it takes the system's TLS where it has it, which trusts
// what the keychain trusts.
bool curlReady() {
    static const bool ready = [] {
#if defined(__APPLE__)
        curl_global_sslset(CURLSSLBACKEND_SECURETRANSPORT, nullptr, nullptr);
#endif
        return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    }();
    return ready;
}

bool isWebScheme(const QString& scheme) {
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool isHexDigit(char byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'f') || (byte >= 'A' && byte <= 'F');
}

// The length of the scheme an address starts with ("http" of "http:x"); 0 when it names none.
qsizetype schemeLength(const QByteArray& text) {
    const auto isLetter = [](char byte) {
        return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
    };
    if (text.isEmpty() || !isLetter(text[0])) return 0;
    qsizetype end = 1;
    while (end < text.size() && (isLetter(text[end]) || (text[end] >= '0' && text[end] <= '9') ||
                                 text[end] == '+' || text[end] == '-' || text[end] == '.'))
        ++end;
    return end < text.size() && text[end] == ':' ? end : 0;
}

// Where the path of `url` starts: past its scheme and its authority ("http://host:port"), if it has them.
qsizetype pathStart(const QByteArray& url) {
    qsizetype at = schemeLength(url);
    if (at > 0) ++at;
    if (url.mid(at, 2) == "//") {
        at += 2;
        while (at < url.size() && url[at] != '/' && url[at] != '?' && url[at] != '#')
            ++at;
    }
    return at;
}

// `url` with the segments of its path that the URL standard takes for "." and ".." with escaped dots
// ("%2e", ".%2E", "%2e%2e") written as those dots, so that they are resolved as dots are. Every other
// escape stays as it was written.
QByteArray dotSegmentsUnescaped(const QByteArray& url) {
    const qsizetype start = pathStart(url);
    qsizetype end = start;
    while (end < url.size() && url[end] != '?' && url[end] != '#')
        ++end;
    QByteArrayList segments = url.mid(start, end - start).split('/');
    for (QByteArray& segment : segments) {
        const QByteArray dots = segment.toLower().replace("%2e", ".");
        if (dots == "." || dots == "..") segment = dots;
    }
    return url.left(start) + segments.join('/') + url.mid(end);
}

// A Location as the URL standard reads it against an http or https address, in the form QUrl reads the same
// way. Each byte past ASCII goes as it came, percent-encoded ("caf\xE9" asks for "caf%E9", UTF-8 for its
// bytes; a host's are read as UTF-8 and made ASCII), and so does a "%" that starts no escape ("100%" asks
// for "100%25"), which leaves the escapes beside it as they are. For http and https each backslash before
// the query is a slash; a path segment of escaped dots is those dots ("/%2e%2e/x" is "/../x"); the slashes
// before a host count as "//" however many there are; the address's own scheme without them names a place
// on its host ("http:x"), the other web scheme is followed by its host whatever comes between
// ("https:/host").
QByteArray standardLocation(const QByteArray& location, const QString& addressScheme) {
    QByteArray text = percentEncoded(location, [](QByteArrayView rest) {
        return quint8(rest[0]) >= 0x80 ||
               (rest[0] == '%' && !(rest.size() >= 3 && isHexDigit(rest[1]) && isHexDigit(rest[2])));
    });
    const qsizetype schemeEnd = schemeLength(text);
    const QByteArray scheme = text.left(schemeEnd).toLower();
    const qsizetype at = schemeEnd > 0 ? schemeEnd + 1 : 0;
    if (!isWebScheme(addressScheme) || (!scheme.isEmpty() && !isWebScheme(QString::fromLatin1(scheme))))
        return text;
    for (qsizetype i = at; i < text.size() && text[i] != '?' && text[i] != '#'; ++i)
        if (text[i] == '\\') text[i] = '/';
    qsizetype slashes = 0;
    while (at + slashes < text.size() && text[at + slashes] == '/')
        ++slashes;
    const QByteArray rest = text.mid(at + slashes);
    QByteArray reference;
    if (!scheme.isEmpty() && scheme != addressScheme.toLatin1())
        reference = scheme + "://" + rest;
    else if (slashes >= 2)
        reference = (scheme.isEmpty() ? QByteArray() : scheme + ':') + "//" + rest;
    else
        reference = (slashes == 1 ? "/" : "") + rest;
    return dotSegmentsUnescaped(reference);
}

// `url` with each `from` after its scheme and authority ("http://host:port") replaced by `to`.
QByteArray replacedPastAuthority(const QByteArray& url, const char* from, const char* to) {
    const qsizetype at = pathStart(url);
    return url.left(at) + url.mid(at).replace(from, to);
}

// This machine by name or by address: "localhost" and the names below it, 127.0.0.0/8 and ::1.
bool isLoopbackName(const QString& host) {
    const QString name = host.toLower();
    return name == QLatin1String("localhost") || name == QLatin1String("localhost.") ||
           name.endsWith(QLatin1String(".localhost")) || name.endsWith(QLatin1String(".localhost."));
}

bool isLoopbackHost(const QString& host) {
    const QHostAddress address(host);
    return isLoopbackName(host) || (!address.isNull() && address.isLoopback());
}

bool isAddress(const QString& host) {
    return !QHostAddress(host).isNull();
}

bool hasHeader(const HTTPHeaders& headers, const QByteArray& name) {
    return std::any_of(headers.begin(), headers.end(), [&](const auto& header) {
        return header.first.compare(name, Qt::CaseInsensitive) == 0;
    });
}

void removeHeaders(HTTPHeaders& headers, std::initializer_list<const char*> names) {
    headers.removeIf([&](const auto& header) {
        return std::any_of(names.begin(), names.end(), [&](const char* name) {
            return header.first.compare(QByteArray(name), Qt::CaseInsensitive) == 0;
        });
    });
}

int portOf(const QUrl& url) {
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
}

bool sameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           portOf(a) == portOf(b);
}

// The host libcurl connects to for one hop: the proxy's when there is one, else the address's.
struct Destination {
    QString host;
    int port = 0;
    bool isProxy = false;
};

Destination destinationOf(const QUrl& url, const QByteArray& proxy) {
    if (!proxy.isEmpty()) {
        const QUrl proxyUrl = QUrl::fromEncoded(proxy);
        return {proxyUrl.host(QUrl::FullyEncoded), proxyUrl.port(1080), true};
    }
    return {url.host(QUrl::FullyEncoded), portOf(url), false};
}

// The addresses of a destination in libcurl's resolve form ("host:port:addr,[addr6]"): with them libcurl
// never looks a name up itself, whose lookup a call would have to wait for past its deadline and its
// stop request.
QByteArray resolveEntry(const Destination& destination, const QStringList& addresses) {
    QStringList listed;
    for (const QString& address : addresses)
        listed.append(address.contains(QLatin1Char(':')) ? QLatin1Char('[') + address + QLatin1Char(']')
                                                         : address);
    return (destination.host + QLatin1Char(':') + QString::number(destination.port) + QLatin1Char(':') +
            listed.join(QLatin1Char(',')))
        .toLatin1();
}

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// `seconds` after `from`; a limit past a century is as good as none.
Clock::time_point after(Clock::time_point from, double seconds) {
    const std::chrono::duration<double> span(std::min(seconds, 100.0 * 365 * 24 * 3600));
    return from + std::chrono::duration_cast<Clock::duration>(span);
}

// Where one hop of a call goes and what it sends. A call's first hop is its request; each redirect
// makes the next.
struct Hop {
    QUrl url;
    QByteArray encodedUrl; // as handed to libcurl
    QByteArray method;
    QByteArray body;
    bool bodyDropped = false; // a redirect turned the request into a GET
};

// One call: one hop after another (the request, then each redirect it is sent), each an easy handle on a
// multi handle of its own, so each hop has a connection of its own, closed when the hop ends: a server
// that closes after each answer without saying so never leaves a dead connection for the next hop. Each
// hop is driven on the calling thread; the call's clocks run from its start across every hop.
class Transfer {
public:
    Transfer(Mode mode, HTTPRequest request, qint64 byteLimit,
             std::shared_ptr<const LiveHTTPFetcher::SystemQuestions> system, double timeLimitSeconds = 0)
        : mode_(mode)
        , system_(std::move(system))
        , request_(std::move(request))
        , byteLimit_(byteLimit)
        , timeLimitSeconds_(timeLimitSeconds)
        , counter_(byteLimit) {}

    ~Transfer() {
        close();
        discardFile();
    }

    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Runs the call to its end; throws its error.
    void run(const std::stop_token& stop) {
        if (stop.stop_requested()) std::rethrow_exception(canceledError());
        start_ = lastProgress_ = Clock::now();
        hop_ = {request_.url,
                // The path as it goes out: "//" and dot segments are resolved, as Qt's requests have them.
                request_.url.toEncoded(QUrl::NormalizePathSegments | QUrl::RemoveFragment),
                request_.method.toUpper(), request_.body};
        for (int redirects = 0;; ++redirects) {
            runHop(stop);
            if (ended_) break;
            if (redirects == kMaxRedirects) {
                fail(tooManyRedirectsError());
                break;
            }
            if (!takeRedirect()) break;
        }
        if (error_) {
            discardFile();
            std::rethrow_exception(error_);
        }
    }

    QByteArray body;
    QString filePath;
    HTTPResponse response;
    ByteSample sample;

private:
    // One hop: the proxy decision and the lookup of the host it connects to, then the transfer on a
    // connection of its own. The hop ends the call, or leaves `redirectLocation_` for the next.
    void runHop(const std::stop_token& stop) {
        resetHop();
        QByteArray proxy;
        QByteArray resolved;
        if (!route(stop, proxy, resolved)) return;
        open(proxy, resolved);
        curl_multi_add_handle(multi_, easy_);
        {
            std::stop_callback wake(stop, [this] { curl_multi_wakeup(multi_); });
            while (!ended_) {
                int running = 0;
                if (curl_multi_perform(multi_, &running) != CURLM_OK) {
                    fail(transportError(QStringLiteral("The transfer could not go on."),
                                        QNetworkReply::UnknownNetworkError));
                    break;
                }
                if (ended_) break;
                if (running == 0) {
                    finish();
                    break;
                }
                if (stop.stop_requested()) {
                    endEarly(canceledError());
                    break;
                }
                const int waitMs = checkClocks();
                if (ended_) break;
                curl_multi_poll(multi_, nullptr, 0, waitMs, nullptr);
            }
        }
        close();
    }

    void resetHop() {
        headers_.clear();
        headBytes_ = 0;
        redirectLocation_.clear();
        errorText_[0] = '\0';
    }

    // Where the hop connects, with the addresses in libcurl's resolve form. This machine is reached directly,
    // as the system's own clients do, whatever a proxy setting says, at its own addresses. For any other
    // host the proxy is decided (proxyFor), then the host connected to is looked up on a thread of its own,
    // for no longer than the call's clocks allow. False when the call ended here.
    bool route(const std::stop_token& stop, QByteArray& proxy, QByteArray& resolved) {
        if (!isWebScheme(hop_.url.scheme())) return true; // libcurl refuses it
        if (!isLoopbackHost(hop_.url.host()) && !proxyFor(stop, proxy)) return false;
        const Destination destination = destinationOf(hop_.url, proxy);
        if (isLoopbackName(destination.host)) {
            resolved = resolveEntry(destination, {QStringLiteral("127.0.0.1"), QStringLiteral("::1")});
            return true;
        }
        if (destination.host.isEmpty() || isAddress(destination.host)) return true;
        auto addresses = std::make_shared<QStringList>();
        const HostLookup::Outcome outcome = HostLookup::ask(
            [addresses, host = destination.host] { *addresses = HostLookup::addressesOf(host); }, deadline(),
            stop, system_->startThread);
        if (!waited(outcome)) return false;
        if (addresses->isEmpty()) {
            fail(unresolvedError(destination.host, destination.isProxy));
            return false;
        }
        resolved = resolveEntry(destination, *addresses);
        return true;
    }

    // The proxy of the hop, empty for none: the system's answer (which may run a proxy auto-configuration
    // script and wait on its server) within the call's clocks, else the *_proxy variables. False when the
    // call ended here.
    bool proxyFor(const std::stop_token& stop, QByteArray& proxy) {
        if (!system_->proxiesFor) {
            try {
                proxy = SystemProxy::fromEnvironment(hop_.url);
            } catch (const TransportError&) {
                fail(std::current_exception());
                return false;
            }
            return true;
        }
        QList<QNetworkProxy> proxies;
        const HostLookup::Outcome outcome =
            SystemProxy::ask(std::shared_ptr<const SystemProxy::Answerer>(system_, &system_->proxiesFor),
                             hop_.url, proxies, deadline(), stop, system_->startThread);
        if (!waited(outcome)) return false;
        proxy = SystemProxy::fromAnswer(proxies);
        return true;
    }

    // Whether the system answered the hop's question; otherwise the call ends with the reason.
    bool waited(HostLookup::Outcome outcome) {
        switch (outcome) {
        case HostLookup::Outcome::answered:
            return true;
        case HostLookup::Outcome::notStarted:
            fail(notLookedUpError(hop_.url.host()));
            break;
        case HostLookup::Outcome::timedOut:
            fail(timedOutError());
            break;
        case HostLookup::Outcome::stopped:
            fail(canceledError());
            break;
        }
        return false;
    }

    // The first of the call's deadline and its idle limit; a century when it has neither.
    Clock::time_point deadline() const {
        Clock::time_point limit = after(Clock::now(), 100.0 * 365 * 24 * 3600);
        if (request_.timeoutSeconds > 0) limit = std::min(limit, after(start_, request_.timeoutSeconds));
        if (request_.idleTimeoutSeconds > 0)
            limit = std::min(limit, after(lastProgress_, request_.idleTimeoutSeconds));
        return limit;
    }

    // Makes the hop that follows the redirect just answered, with the rules a browser keeps: its Location
    // read against the hop's address as the URL standard reads it; never from https to http, only to http or
    // https; a 303 turns every method but GET and HEAD into a GET, a 301 or 302 turns a POST into one;
    // credentials go only to the first hop's origin. False when the call ended here.
    bool takeRedirect() {
        Hop next;
        const bool hasControls = std::any_of(redirectLocation_.begin(), redirectLocation_.end(),
                                             [](char byte) { return quint8(byte) < 0x20 || byte == '\x7f'; });
        if (!hasControls) {
            // QUrl reads an escape of a character that needs none as the character ("%41" as "A"), where a
            // server means each escape to go as it wrote it: while QUrl resolves the Location every "%" past
            // the authority is itself escaped, and that is undone in what is sent.
            const auto hidden = [](const QByteArray& url) {
                return QUrl::fromEncoded(replacedPastAuthority(url, "%", "%25"));
            };
            const QUrl resolved =
                hidden(hop_.encodedUrl)
                    .resolved(hidden(standardLocation(redirectLocation_, hop_.url.scheme())));
            next.encodedUrl = replacedPastAuthority(resolved.toEncoded(QUrl::RemoveFragment), "%25", "%");
            next.url = QUrl::fromEncoded(next.encodedUrl);
        }
        if (!next.url.isValid() || next.url.scheme().isEmpty() ||
            (isWebScheme(next.url.scheme()) && next.url.host().isEmpty())) {
            fail(unparsableRedirectError(redirectLocation_));
            return false;
        }
        if (!isWebScheme(next.url.scheme())) {
            fail(unknownProtocolError(next.url.scheme()));
            return false;
        }
        if (hop_.url.scheme() == QLatin1String("https") && next.url.scheme() == QLatin1String("http")) {
            fail(insecureRedirectError());
            return false;
        }
        const bool toGet = (redirectStatus_ == 303 && hop_.method != "GET" && hop_.method != "HEAD") ||
                           ((redirectStatus_ == 301 || redirectStatus_ == 302) && hop_.method == "POST");
        next.method = toGet ? QByteArray("GET") : hop_.method;
        next.body = toGet ? QByteArray() : hop_.body;
        next.bodyDropped = hop_.bodyDropped || toGet;
        hop_ = std::move(next);
        return true;
    }

    void open(const QByteArray& proxy, const QByteArray& resolved) {
        if (!curlReady() || !(easy_ = curl_easy_init()) || !(multi_ = curl_multi_init()))
            std::rethrow_exception(transportError(QStringLiteral("Network access is not available."),
                                                  QNetworkReply::UnknownNetworkError));
        usesProxy_ = !proxy.isEmpty();
        curl_easy_setopt(easy_, CURLOPT_URL, hop_.encodedUrl.constData());
        curl_easy_setopt(easy_, CURLOPT_PROXY, proxy.constData());
        // The proxy, or none, is the system's choice alone: no variable of the environment overrides it.
        curl_easy_setopt(easy_, CURLOPT_NOPROXY, "");
        if (!resolved.isEmpty()) {
            resolveList_ = curl_slist_append(resolveList_, resolved.constData());
            curl_easy_setopt(easy_, CURLOPT_RESOLVE, resolveList_);
        }
        curl_easy_setopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
        // Redirects are followed hop by hop (run), each on a connection of its own.
        curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(easy_, CURLOPT_USERAGENT, "Mozilla/5.0");
        curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Transfer::onHeaderLine);
        curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);

        const QByteArray& method = hop_.method;
        if (method == "HEAD") {
            curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
        } else if ((method == "GET" || method == "DELETE") && hop_.body.isEmpty()) {
            if (method != "GET") curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, method.constData());
        } else {
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(hop_.body.size()));
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, hop_.body.constData());
            if (method != "POST") curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, method.constData());
        }

        HTTPHeaders headers = request_.headers;
        // Credentials go only where the call was sent first; the body's headers only with a body.
        if (!sameOrigin(hop_.url, request_.url)) removeHeaders(headers, {"Authorization", "Cookie"});
        if (hop_.bodyDropped) removeHeaders(headers, {"Content-Type", "Content-Length"});
        if (request_.ignoreCache) {
            for (const QByteArray& name : {QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("Pragma")})
                if (!hasHeader(headers, name)) headers.append({name, "no-cache"});
        }
        if (hasHeader(request_.headers, "Accept-Encoding")) {
            // An encoding of the caller's own is left to the caller: nothing is decoded.
            curl_easy_setopt(easy_, CURLOPT_HTTP_CONTENT_DECODING, 0L);
        } else if (mode_ == Mode::data) {
            // Every encoding this libcurl can inflate; what inflates counts against the call's limit.
            curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
            decodes_ = true;
        } else {
            // A download's checksum and a sample's count are over the bytes as the server stores them.
            headers.append({QByteArrayLiteral("Accept-Encoding"), QByteArrayLiteral("identity")});
            curl_easy_setopt(easy_, CURLOPT_HTTP_CONTENT_DECODING, 0L);
        }
        for (const auto& [name, value] : headers) {
            const QByteArray line = value.isEmpty() ? name + ';' : name + ": " + value; // "Name;": no value
            headerList_ = curl_slist_append(headerList_, line.constData());
        }
        // A body goes out at once, never after a wait for "100 Continue".
        headerList_ = curl_slist_append(headerList_, "Expect:");
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);
    }

    // Takes the transfer off the connection and closes it (at once, however much the server would send).
    void close() {
        if (multi_ && easy_) curl_multi_remove_handle(multi_, easy_);
        if (easy_) curl_easy_cleanup(easy_);
        if (multi_) curl_multi_cleanup(multi_);
        for (curl_slist* list : {headerList_, resolveList_})
            if (list) curl_slist_free_all(list);
        easy_ = nullptr;
        multi_ = nullptr;
        headerList_ = nullptr;
        resolveList_ = nullptr;
    }

    // Ends the call when one of its clocks has run out; otherwise the milliseconds until the next may.
    int checkClocks() {
        const Clock::time_point now = Clock::now();
        const Clock::time_point end = deadline();
        Clock::time_point next = std::min(now + std::chrono::milliseconds(kLongestWaitMs), end);
        if (mode_ == Mode::sample && headArrived_) {
            // A time limit of zero or below (or NaN) ends the sample at once.
            const Clock::time_point limit = timeLimitSeconds_ > 0 ? after(headTime_, timeLimitSeconds_) : now;
            if (now >= limit) {
                endSample();
                return 0;
            }
            next = std::min(next, limit);
        }
        if (now >= end) {
            endEarly(timedOutError());
            return 0;
        }
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
        return int(std::clamp<qint64>(ms, 1, kLongestWaitMs));
    }

    // The deadline, the idle limit or a stop: a sample that has its head reports what it counted,
    // everything else fails.
    void endEarly(std::exception_ptr error) {
        if (mode_ == Mode::sample && headArrived_) return endSample();
        fail(std::move(error));
    }

    static size_t onHeaderLine(char* data, size_t unit, size_t count, void* self) {
        return static_cast<Transfer*>(self)->take(&Transfer::headerLine, data, unit * count);
    }

    static size_t onBody(char* data, size_t unit, size_t count, void* self) {
        return static_cast<Transfer*>(self)->take(&Transfer::bodyBytes, data, unit * count);
    }

    // Hands libcurl's bytes to `handle`; what libcurl gets back ends the transfer when the call has ended
    // or the hop's answer is a redirect whose head is complete. Nothing is thrown through libcurl: an error
    // ends the call.
    size_t take(void (Transfer::*handle)(const QByteArray&), char* data, size_t size) {
        try {
            (this->*handle)(QByteArray::fromRawData(data, qsizetype(size)));
        } catch (...) {
            fail(std::current_exception());
        }
        return ended_ || redirecting() ? 0 : size;
    }

    // One line of a head, also of a redirect or an interim answer.
    void headerLine(const QByteArray& line) {
        if (ended_) return;
        if (line.startsWith("HTTP/")) { // a new head: only the last one is the answer
            headers_.clear();
            headBytes_ = 0;
        }
        headBytes_ += line.size();
        if (headBytes_ > kHeadLimitBytes) return fail(headTooLargeError());
        // Only an empty line ends a head, as libcurl reads it: a line of spaces or tabs is a malformed
        // header line (libcurl folds it into the one before), so an answer closed after it has no head.
        if (line.startsWith('\r') || line.startsWith('\n')) return endOfHead();
        const QByteArray text = QByteArray(line.constData(), line.size()).trimmed(); // owns its bytes
        const qsizetype colon = text.indexOf(':');
        if (colon > 0 && !line.startsWith("HTTP/"))
            headers_.append({text.left(colon).trimmed(), text.mid(colon + 1).trimmed()});
    }

    void endOfHead() {
        long status = 0;
        curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
        if (status < 200) return; // an interim answer; the real one follows
        // A redirect that names where to: the hop ends with its head. Its body is not the answer, the next
        // hop's is, so it is never read: neither its length nor its pace decides the call.
        if (status >= 300 && status < 400) {
            redirectLocation_ = answer().header("Location");
            if (redirecting()) {
                redirectStatus_ = int(status);
                lastProgress_ = Clock::now();
                return;
            }
        }
        markHead();
    }

    // The hop's answer is a redirect that names where to.
    bool redirecting() const { return !redirectLocation_.isEmpty(); }

    void markHead() {
        if (headArrived_) return;
        headArrived_ = true;
        lastProgress_ = Clock::now();
        switch (mode_) {
        case Mode::data:
            if (request_.headOnly) endWithHead();
            break;
        case Mode::download:
            openFile();
            break;
        case Mode::sample:
            headTime_ = lastProgress_;
            if (counter_.full()) endSample(); // a limit of 0 bytes or below
            break;
        }
    }

    void bodyBytes(const QByteArray& chunk) {
        if (ended_) return;
        markHead();
        if (ended_) return;
        lastProgress_ = Clock::now();
        switch (mode_) {
        case Mode::data:
            if (keep(chunk.size())) body.append(chunk.constData(), chunk.size()); // a copy of libcurl's bytes
            break;
        case Mode::download:
            // Straight to the descriptor, so a failed write says why (a full disk, say).
            if (keep(chunk.size()))
                fileio::writeAll(file_->handle(), chunk, file_->fileName(),
                                 QStringLiteral("Couldn't save the download to"));
            break;
        case Mode::sample:
            counter_.add(counter_.room(chunk.size()));
            if (counter_.full()) endSample();
            break;
        }
    }

    // Counts `bytes` more of a body that is kept; past the call's limit, fails the call instead.
    bool keep(qint64 bytes) {
        if (counter_.room(bytes) < bytes) {
            const QByteArray encoding = answer().header("Content-Encoding").trimmed().toLower();
            const bool inflated = decodes_ && !encoding.isEmpty() && encoding != "identity";
            fail(inflated ? undecodableError(byteLimit_) : tooLargeError(mode_, byteLimit_));
            return false;
        }
        counter_.add(bytes);
        return true;
    }

    void openFile() {
        auto file = std::make_unique<QTemporaryFile>(UserTemporaryFolder::path() +
                                                     QStringLiteral("/quillane-download-XXXXXX"));
        file->setAutoRemove(false);
        if (!file->open()) return fail(std::make_exception_ptr(PlatformError(file->errorString())));
        file_ = std::move(file);
    }

    // The transfer is over as libcurl sees it: a whole answer, a redirect's head, or an error.
    void finish() {
        if (redirecting()) return; // ended by the head's end, the next hop goes on
        CURLcode result = CURLE_OK;
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left))
            if (message->msg == CURLMSG_DONE) result = message->data.result;
        // After the head a sample reports what it counted, also when reading failed.
        if (result != CURLE_OK && !(mode_ == Mode::sample && headArrived_)) return fail(errorFor(result));
        // libcurl counts an answer closed before the empty line that ends its head as done; it is the
        // connection closed with nothing. An answer whose head ended has it marked, a body or none.
        if (!headArrived_) return fail(emptyReplyError());
        if (mode_ == Mode::sample) return endSample();
        if (mode_ == Mode::download) {
            filePath = file_->fileName();
            file_->close();
            file_.reset();
        }
        endWithHead();
    }

    // The call ends with the answer as far as its head; what the body may still bring is never read.
    void endWithHead() {
        response = answer();
        ended_ = true;
    }

    // The answer as far as it has come: the last head's status and headers, and the address it came from.
    HTTPResponse answer() const {
        HTTPResponse answer;
        long status = 0;
        curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
        answer.statusCode = int(status);
        const char* url = nullptr;
        curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &url);
        answer.url = url ? QUrl::fromEncoded(url) : hop_.url;
        answer.headers = headers_;
        return answer;
    }

    std::exception_ptr errorFor(CURLcode result) const {
        const QString detail = failureText(result);
        switch (result) {
        case CURLE_OPERATION_TIMEDOUT:
            return timedOutError();
        case CURLE_BAD_CONTENT_ENCODING:
            return undecodableError(byteLimit_);
        case CURLE_OUT_OF_MEMORY: // libcurl's refusal of a head line past its limit
#if LIBCURL_VERSION_NUM >= 0x080600
        case CURLE_TOO_LARGE:
#endif
            return headArrived_ ? transportError(detail, QNetworkReply::UnknownNetworkError)
                                : headTooLargeError();
        case CURLE_COULDNT_RESOLVE_HOST:
            return transportError(detail, QNetworkReply::HostNotFoundError);
        case CURLE_COULDNT_RESOLVE_PROXY:
            return transportError(detail, QNetworkReply::ProxyNotFoundError);
        case CURLE_COULDNT_CONNECT:
            return transportError(detail, usesProxy_ ? QNetworkReply::ProxyConnectionRefusedError
                                                     : QNetworkReply::ConnectionRefusedError);
        case CURLE_GOT_NOTHING:
            return emptyReplyError();
        case CURLE_PARTIAL_FILE: // a length named in a head that never ended counts as a head cut short
            if (!headArrived_) return emptyReplyError();
            [[fallthrough]];
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
            return transportError(detail, QNetworkReply::RemoteHostClosedError);
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
            return transportError(detail, QNetworkReply::SslHandshakeFailedError);
        case CURLE_UNSUPPORTED_PROTOCOL:
            return unknownProtocolError(hop_.url.scheme());
        case CURLE_URL_MALFORMAT:
            return transportError(detail, QNetworkReply::ProtocolUnknownError);
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
            return transportError(detail, QNetworkReply::ProtocolFailure);
        default:
            return transportError(detail, QNetworkReply::UnknownNetworkError);
        }
    }

    // libcurl's words for a failure, which are the platform's ("Could not resolve host: ...", "SSL
    // certificate problem: ..."), unless they name the library or its options: a text shown to a user
    // never does.
    QString failureText(CURLcode result) const {
        const QString text = QString::fromUtf8(errorText_[0] ? errorText_ : curl_easy_strerror(result));
        return text.contains(QLatin1String("curl"), Qt::CaseInsensitive)
                   ? QStringLiteral("The request could not be made.")
                   : text;
    }

    void endSample() {
        if (ended_) return;
        sample = ByteSample{counter_.count(),
                            std::max(secondsBetween(headTime_, Clock::now()), kMinimumElapsedSeconds)};
        ended_ = true;
    }

    void fail(std::exception_ptr error) {
        if (ended_) return;
        error_ = std::move(error);
        ended_ = true;
    }

    void discardFile() {
        if (!file_) return;
        file_->close();
        QFile::remove(file_->fileName());
        file_.reset();
    }

    const Mode mode_;
    const std::shared_ptr<const LiveHTTPFetcher::SystemQuestions> system_;
    const HTTPRequest request_;
    const qint64 byteLimit_;
    const double timeLimitSeconds_;

    Hop hop_; // the hop under way
    CURL* easy_ = nullptr;
    CURLM* multi_ = nullptr;
    curl_slist* headerList_ = nullptr;
    curl_slist* resolveList_ = nullptr;
    char errorText_[CURL_ERROR_SIZE] = {};
    bool usesProxy_ = false;
    bool decodes_ = false;
    QByteArray redirectLocation_; // where the hop's answer redirects to, empty for none...
    int redirectStatus_ = 0;      // ...with this status

    Clock::time_point start_;
    Clock::time_point lastProgress_; // the last body byte or head, for the idle limit
    Clock::time_point headTime_;
    HTTPHeaders headers_; // of the head being read, then of the answer
    qint64 headBytes_ = 0;
    bool headArrived_ = false;
    ByteCounter counter_;
    std::unique_ptr<QTemporaryFile> file_;
    bool ended_ = false;
    std::exception_ptr error_;
};

} // namespace

LiveHTTPFetcher::LiveHTTPFetcher(qint64 downloadByteLimit)
    : LiveHTTPFetcher(downloadByteLimit, SystemQuestions{}) {}

LiveHTTPFetcher::LiveHTTPFetcher(qint64 downloadByteLimit, SystemQuestions system)
    : downloadByteLimit_(downloadByteLimit)
    , system_(std::make_shared<const SystemQuestions>(std::move(system))) {}

std::pair<QByteArray, HTTPResponse> LiveHTTPFetcher::data(const HTTPRequest& request, std::stop_token stop) {
    Transfer transfer(Mode::data, request, request.maxBodyBytes, system_);
    transfer.run(stop);
    return {std::move(transfer.body), std::move(transfer.response)};
}

std::pair<QString, HTTPResponse> LiveHTTPFetcher::download(const QUrl& url, std::stop_token stop) {
    HTTPRequest request;
    request.url = url;
    // Installer packages take minutes on a slow line: only a stall ends a download.
    request.timeoutSeconds = 0;
    request.idleTimeoutSeconds = downloadIdleTimeoutSeconds;
    Transfer transfer(Mode::download, std::move(request), downloadByteLimit_, system_);
    transfer.run(stop);
    return {std::move(transfer.filePath), std::move(transfer.response)};
}

ByteSample LiveHTTPFetcher::sampleBytes(const HTTPRequest& request, qint64 byteLimit, double timeLimitSeconds,
                                        std::stop_token stop) {
    Transfer transfer(Mode::sample, request, byteLimit, system_, timeLimitSeconds);
    transfer.run(stop);
    return transfer.sample;
}

} // namespace qlan
