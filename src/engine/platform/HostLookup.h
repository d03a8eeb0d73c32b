#pragma once
// The lookup of a host a request connects to, asked on a thread of its own, so that its caller waits only
// until its own deadline or stop request. A name server that takes questions and never answers holds the
// system's lookup for its whole time (5 s a try and several tries, more on some networks); a lookup its
// caller stopped waiting for ends on its own and touches nothing but its own answer. (The proxy decision
// is asked in turn, one question at a time: SystemProxy.)

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <stop_token>

namespace qlan {

class HostLookup {
public:
    using Clock = std::chrono::steady_clock;

    enum class Outcome { answered, timedOut, stopped, notStarted };

    // Starts `questions` on a detached thread; throws std::system_error when no thread can be made.
    using ThreadStarter = std::function<void(std::function<void()>)>;
    static void startDetached(std::function<void()> questions);

    // Runs `questions` on a thread that `start` makes and waits until they return, `deadline` passes or a
    // stop is requested. `questions` owns whatever it touches (its answer through a shared pointer): the
    // thread may outlive the wait. When no thread can be made nothing is asked (notStarted).
    static Outcome ask(std::function<void()> questions, Clock::time_point deadline,
                       const std::stop_token& stop, const ThreadStarter& start = startDetached);

    // The numeric addresses the system knows for `host` (a name, not an address), in its order, each once;
    // none when it knows none. Blocks for as long as the system's lookup takes.
    static QStringList addressesOf(const QString& host);
};

} // namespace qlan
