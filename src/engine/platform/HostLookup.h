#pragma once
// The addresses of a host name, looked up on a thread of the lookup's own, so that its caller waits only
// until its own deadline or stop request. A name server that takes questions and never answers holds the
// system's lookup for its whole time (5 s a try and several tries, more on some networks); a lookup its
// caller stopped waiting for ends on its own and touches nothing but its own answer.

#include <QString>
#include <QStringList>

#include <chrono>
#include <stop_token>

namespace qlan {

class HostLookup {
public:
    using Clock = std::chrono::steady_clock;

    enum class Outcome { found, notFound, timedOut, stopped };

    struct Answer {
        Outcome outcome = Outcome::notFound;
        QStringList addresses; // numeric, in the system's order, each once (found only)
    };

    // Looks `host` up (a name, not an address) and waits for the answer until `deadline` or a stop
    // request. When no thread can be made the lookup runs on the calling thread.
    static Answer addressesOf(const QString& host, Clock::time_point deadline, const std::stop_token& stop);
};

} // namespace qlan
