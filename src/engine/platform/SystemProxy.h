#pragma once
// The proxy a request takes, in libcurl's form ("http://host:port", empty for none): from the *_proxy
// variables, read as curl reads them, or from the system's answer for the address (a Mac's network
// settings, which may run a proxy auto-configuration script and wait on its server).
//
// The system is asked one question at a time for the whole process, on one thread at a time: a question
// waits behind the one being asked, its callers each wait no longer than their own deadline or stop
// request, and a question whose callers have all left is dropped, never asked. Callers that ask the same
// question of the same answerer at once share its answer. Once the process ends nothing more is asked, and
// it never destroys its statics while a question is inside the answerer (endNowIfAsking).

#include "platform/HostLookup.h"

#include <QByteArray>
#include <QList>
#include <QNetworkProxy>
#include <QUrl>

#include <functional>
#include <memory>
#include <stop_token>

namespace qlan {

class SystemProxy {
public:
    using Answerer = std::function<QList<QNetworkProxy>(const QNetworkProxyQuery&)>;

    // The proxy the variables name for `url` (an http or https address): no_proxy (or NO_PROXY), then for
    // http http_proxy (lower case only), for https https_proxy (or HTTPS_PROXY), then all_proxy (or
    // ALL_PROXY); an empty variable counts as unset. "socks://" is SOCKS4, as curl reads it. Throws
    // TransportError, in words that say what to set, when the one that applies is not a proxy address (a
    // discovery setting such as "wpad://", the address of a proxy auto-configuration file, "DIRECT", a
    // scheme no proxy speaks).
    static QByteArray fromEnvironment(const QUrl& url);

    // The first of `proxies` that libcurl can take; empty for none (also for a first "no proxy").
    static QByteArray fromAnswer(const QList<QNetworkProxy>& proxies);

    // Asks `answerer` which proxies to take for `url`, in turn with every other question asked here, and
    // waits until the answer comes (into `proxies`), `deadline` passes or a stop is requested. The question
    // thread is made by `start` when none stands; when none can be made nothing is asked (notStarted). Once
    // the process ends nothing is asked (stopped).
    static HostLookup::Outcome ask(std::shared_ptr<const Answerer> answerer, const QUrl& url,
                                   QList<QNetworkProxy>& proxies, HostLookup::Clock::time_point deadline,
                                   const std::stop_token& stop, const HostLookup::ThreadStarter& start);

    // The process ends with `status`: from now on no question is asked, and its callers stop waiting
    // (stopped). When one is inside the answerer (the system's reads the state of its library and of Qt),
    // the process ends here, its standard output and error flushed, destroying nothing that question may
    // read. Called where the application's event loop has ended, before the application object goes, and
    // by exit() (registered when the first question is asked) with exit()'s status on Linux; a Mac's exit()
    // does not tell its status, and a process ended there by this ends with EXIT_FAILURE.
    static void endNowIfAsking(int status);
};

} // namespace qlan
