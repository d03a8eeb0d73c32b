#include "platform/SystemProxy.h"

#include "platform/PlatformError.h"

#include <QHostAddress>
#include <QNetworkReply>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <mutex>
#include <system_error>
#include <utility>

namespace qlan {

namespace {

// A proxy in libcurl's form, its port always named (the lookup of its host needs it).
QByteArray proxyAddress(const QString& scheme, const QString& host, int port, const QString& user,
                        const QString& password) {
    QUrl address;
    address.setScheme(scheme);
    address.setHost(host);
    address.setPort(port);
    address.setUserName(user);
    address.setPassword(password);
    return address.toEncoded();
}

struct Setting {
    QByteArray name;
    QByteArray value;
};

// The first of the variables `names` that is set and not empty; none when none is.
Setting firstSet(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const QByteArray value = qgetenv(name).trimmed();
        if (!value.isEmpty()) return {name, value};
    }
    return {};
}

// Whether no_proxy's `list` keeps `host`, reached at `port`, off the proxy. Its entries are separated by
// commas or blanks; "*" alone keeps every host. A name keeps itself and the names below it (written bare,
// with a leading "." or "*."), an address that address, and an address with a prefix length
// ("192.168.0.0/16") the addresses in its range; an entry with a port ("intranet.example:8080") keeps its
// host only at that port.
bool bypasses(const QString& host, int port, const QByteArray& list) {
    if (list == "*") return true;
    QString name = host.toLower();
    if (name.endsWith(QLatin1Char('.'))) name.chop(1);
    const QHostAddress address(name);
    for (const QByteArray& item : list.simplified().replace(' ', ',').split(',')) {
        QString entry = QString::fromLatin1(item).toLower();
        if (entry.count(QLatin1Char(':')) == 1) { // a name or an IPv4 address with a port
            const qsizetype colon = entry.indexOf(QLatin1Char(':'));
            bool isPort = false;
            const int entryPort = entry.mid(colon + 1).toInt(&isPort);
            if (isPort && entryPort != port) continue;
            if (isPort) entry.truncate(colon);
        }
        if (!address.isNull()) {
            const auto range = QHostAddress::parseSubnet(entry); // "10.1" alone is no address
            if (entry.contains(QLatin1Char('/')) ? !range.first.isNull() && address.isInSubnet(range)
                                                 : QHostAddress(entry) == address)
                return true;
            continue;
        }
        if (entry.startsWith(QLatin1String("*."))) entry.remove(0, 1);
        while (entry.startsWith(QLatin1Char('.')))
            entry.remove(0, 1);
        if (entry.endsWith(QLatin1Char('.'))) entry.chop(1);
        if (!entry.isEmpty() && (name == entry || name.endsWith(QLatin1Char('.') + entry))) return true;
    }
    return false;
}

// The schemes a proxy setting may name, and the one libcurl is given for each: "socks" is SOCKS4, as curl
// reads it, and the proxy looks up the host of a SOCKS request too (nothing here lets libcurl look a name up
// itself). A constant, never destroyed: a call may read it while the process ends.
struct ProxyScheme {
    QLatin1String named;
    QLatin1String sent;
};
constexpr ProxyScheme proxySchemes[] = {
    {QLatin1String("http"), QLatin1String("http")},       {QLatin1String("https"), QLatin1String("https")},
    {QLatin1String("socks"), QLatin1String("socks4a")},   {QLatin1String("socks4"), QLatin1String("socks4a")},
    {QLatin1String("socks4a"), QLatin1String("socks4a")}, {QLatin1String("socks5"), QLatin1String("socks5h")},
    {QLatin1String("socks5h"), QLatin1String("socks5h")},
};

// A setting that names no proxy, and what to do about it; its credentials are not shown.
[[noreturn]] void notAProxy(const Setting& setting) {
    QByteArray shown = setting.value;
    const qsizetype at = shown.lastIndexOf('@');
    if (at >= 0) shown.remove(0, at + 1);
    throw TransportError(QStringLiteral("The proxy setting %1 is not a proxy address: “%2”. Set it to the "
                                        "proxy's host:port, or unset it.")
                             .arg(QString::fromLatin1(setting.name), QString::fromUtf8(shown)),
                         static_cast<int>(QNetworkReply::ProxyNotFoundError));
}

// A setting that names no proxy but a way to find one, or none: "DIRECT", as a proxy auto-configuration
// script answers, or the address of such a script (a path ending in ".pac" or ".dat").
bool namesNoProxy(const QByteArray& value, const QUrl& proxy) {
    const QString path = proxy.path().toLower();
    return value.compare("DIRECT", Qt::CaseInsensitive) == 0 || path.endsWith(QLatin1String(".pac")) ||
           path.endsWith(QLatin1String(".dat"));
}

// One question for the system and the callers waiting for its answer.
struct Question {
    std::shared_ptr<const SystemProxy::Answerer> answerer;
    QUrl url;
    int callers = 0;
    bool answered = false;
    QList<QNetworkProxy> proxies;
};

// The questions of the process: the one being asked and those waiting behind it, each with a caller.
struct QuestionLine {
    std::mutex mutex;
    std::condition_variable_any changed;
    std::shared_ptr<Question> asking;
    std::deque<std::shared_ptr<Question>> waiting;
    bool threadStands = false;
    bool ending = false; // the process ends: nothing more is asked
};

// Read by the question thread and by callers that may still ask while the process ends: never destroyed.
QuestionLine* questionLine() {
    static QuestionLine* const line = new QuestionLine;
    return line;
}

// Lets exit() end the process before it destroys the statics made so far while a question is inside the
// answerer: exit() runs what is registered in the reverse order, statics' destructors included.
void checkAtExit() {
#if defined(__linux__)
    ::on_exit([](int status, void*) { SystemProxy::endNowIfAsking(status); }, nullptr);
#elif defined(__APPLE__)
    std::atexit([] { SystemProxy::endNowIfAsking(EXIT_FAILURE); });
#endif
}

// The question thread: asks the waiting questions one after another, then ends.
void answerInTurn(QuestionLine* line) {
    std::unique_lock lock(line->mutex);
    while (!line->waiting.empty() && !line->ending) {
        const std::shared_ptr<Question> question = line->waiting.front();
        line->waiting.pop_front();
        line->asking = question;
        lock.unlock();
        QList<QNetworkProxy> proxies = (*question->answerer)(QNetworkProxyQuery(question->url));
        // Once more after the first answer: the statics that the answerer made on its first call are
        // destroyed after the check too.
        [[maybe_unused]] static const bool checkedAfterFirstAnswer = (checkAtExit(), true);
        lock.lock();
        question->proxies = std::move(proxies);
        question->answered = true;
        line->asking.reset();
        line->changed.notify_all();
    }
    line->threadStands = false;
}

} // namespace

QByteArray SystemProxy::fromEnvironment(const QUrl& url) {
    const int port = url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
    if (bypasses(url.host(QUrl::FullyEncoded), port, firstSet({"no_proxy", "NO_PROXY"}).value)) return {};
    Setting setting = url.scheme() == QLatin1String("https") ? firstSet({"https_proxy", "HTTPS_PROXY"})
                                                             : firstSet({"http_proxy"});
    if (setting.value.isEmpty()) setting = firstSet({"all_proxy", "ALL_PROXY"});
    if (setting.value.isEmpty()) return {};
    const QUrl proxy =
        QUrl::fromEncoded(setting.value.contains("://") ? setting.value : "http://" + setting.value);
    const QString scheme = proxy.scheme().toLower();
    const auto known = std::find_if(std::begin(proxySchemes), std::end(proxySchemes),
                                    [&](const ProxyScheme& each) { return scheme == each.named; });
    if (!proxy.isValid() || proxy.host().isEmpty() || known == std::end(proxySchemes) ||
        namesNoProxy(setting.value, proxy))
        notAProxy(setting);
    return proxyAddress(known->sent, proxy.host(), proxy.port(scheme == QLatin1String("https") ? 443 : 1080),
                        proxy.userName(), proxy.password());
}

QByteArray SystemProxy::fromAnswer(const QList<QNetworkProxy>& proxies) {
    for (const QNetworkProxy& proxy : proxies) {
        QString scheme;
        switch (proxy.type()) {
        case QNetworkProxy::NoProxy:
            return {};
        case QNetworkProxy::HttpProxy:
        case QNetworkProxy::HttpCachingProxy:
            scheme = QStringLiteral("http");
            break;
        case QNetworkProxy::Socks5Proxy:
            scheme = QStringLiteral("socks5h");
            break;
        default:
            continue;
        }
        return proxyAddress(scheme, proxy.hostName(), proxy.port() > 0 ? proxy.port() : 1080, proxy.user(),
                            proxy.password());
    }
    return {};
}

HostLookup::Outcome SystemProxy::ask(std::shared_ptr<const Answerer> answerer, const QUrl& url,
                                     QList<QNetworkProxy>& proxies, HostLookup::Clock::time_point deadline,
                                     const std::stop_token& stop, const HostLookup::ThreadStarter& start) {
    if (stop.stop_requested()) return HostLookup::Outcome::stopped;
    if (HostLookup::Clock::now() >= deadline) return HostLookup::Outcome::timedOut;
    QuestionLine* const line = questionLine();
    [[maybe_unused]] static const bool checked = (checkAtExit(), true);
    std::unique_lock lock(line->mutex);
    if (line->ending) return HostLookup::Outcome::stopped;
    const auto same = [&](const std::shared_ptr<Question>& question) {
        return question && question->answerer == answerer && question->url == url;
    };
    std::shared_ptr<Question> question = same(line->asking) ? line->asking : nullptr;
    if (!question) {
        const auto waiting = std::find_if(line->waiting.begin(), line->waiting.end(), same);
        question = waiting != line->waiting.end() ? *waiting : nullptr;
    }
    if (!question) {
        question = std::make_shared<Question>();
        question->answerer = std::move(answerer);
        question->url = url;
        line->waiting.push_back(question);
    }
    ++question->callers;
    // The last caller to leave a question not yet asked takes it out of the line.
    const auto leave = [&] {
        if (--question->callers == 0 && question != line->asking && !question->answered)
            line->waiting.erase(std::find(line->waiting.begin(), line->waiting.end(), question));
    };
    if (!line->threadStands) {
        try {
            start([line] { answerInTurn(line); });
            line->threadStands = true;
        } catch (const std::system_error&) {
            leave();
            return HostLookup::Outcome::notStarted;
        }
    }
    line->changed.wait_until(lock, stop, deadline, [&] { return question->answered || line->ending; });
    if (question->answered) {
        --question->callers;
        proxies = question->proxies;
        return HostLookup::Outcome::answered;
    }
    leave();
    return stop.stop_requested() || line->ending ? HostLookup::Outcome::stopped
                                                 : HostLookup::Outcome::timedOut;
}

void SystemProxy::endNowIfAsking(int status) {
    QuestionLine* const line = questionLine();
    std::lock_guard lock(line->mutex);
    line->ending = true;
    line->changed.notify_all();
    if (!line->asking) return;
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace qlan
