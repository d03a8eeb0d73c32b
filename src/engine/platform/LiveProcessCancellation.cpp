#include "platform/LiveProcessCancellation.h"

#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <thread>
#include <utility>

namespace qlan {

namespace {

// How many cancelled children are not reaped yet. Their owners reap them while the process ends: never
// destroyed.
struct CanceledChildren {
    std::mutex mutex;
    std::condition_variable reaped;
    int count = 0;
};

CanceledChildren& canceledChildren() {
    static CanceledChildren* const children = new CanceledChildren;
    return *children;
}

// The termination code of an answer of waitid() that reportsExit().
std::int32_t terminationCode(const siginfo_t& info) {
    return reportsExit(info) ? info.si_status : -1;
}

// How often awaitExit() looks again at a child that is still running: soon at first (a child that has
// just closed its pipes is usually about to exit), then every 50 ms.
constexpr std::chrono::milliseconds firstPause{1};
constexpr std::chrono::milliseconds longestPause{50};

} // namespace

bool reportsExit(const siginfo_t& answer) {
    if (answer.si_pid == 0) return false;
    switch (answer.si_code) {
    case CLD_EXITED:
    case CLD_KILLED:
    case CLD_DUMPED:
        return true;
    default:
        return false;
    }
}

std::int32_t terminationCode(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return WTERMSIG(waitStatus);
    return -1;
}

LiveProcessCancellation::~LiveProcessCancellation() {
    forgetLocked(); // nobody else holds the handle any more
}

bool LiveProcessCancellation::waitForCanceledChildren(Clock::time_point deadline) {
    CanceledChildren& children = canceledChildren();
    std::unique_lock lock(children.mutex);
    return children.reaped.wait_until(lock, deadline, [&] { return children.count == 0; });
}

void LiveProcessCancellation::countIfCanceledLocked() {
    if (counted_ || !canceled_ || !process_) return;
    counted_ = true;
    CanceledChildren& children = canceledChildren();
    const std::lock_guard lock(children.mutex);
    ++children.count;
}

void LiveProcessCancellation::forgetLocked() {
    process_.reset();
    if (!std::exchange(counted_, false)) return;
    CanceledChildren& children = canceledChildren();
    {
        const std::lock_guard lock(children.mutex);
        --children.count;
    }
    children.reaped.notify_all();
}

void LiveProcessCancellation::cancel() {
    std::lock_guard lock(mutex_);
    canceled_ = true;
    if (process_ && !killAt_) killAt_ = Clock::now() + grace_;
    countIfCanceledLocked();
    terminateLocked();
}

void LiveProcessCancellation::kill() {
    std::lock_guard lock(mutex_);
    if (process_) killed_ = true;
    signalLocked(SIGKILL);
}

void LiveProcessCancellation::attach(pid_t pid) {
    std::lock_guard lock(mutex_);
    process_ = pid;
    if (!canceled_) return;
    killAt_ = Clock::now() + grace_;
    countIfCanceledLocked();
    terminateLocked();
}

bool LiveProcessCancellation::hasExited() const {
    std::lock_guard lock(mutex_);
    if (!process_) return true;
    siginfo_t info{};
    int waited = 0;
    do {
        waited = ::waitid(P_PID, static_cast<id_t>(*process_), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (waited == -1 && errno == EINTR);
    // An error (it cannot be waited for) counts as gone.
    return waited == -1 || reportsExit(info);
}

std::optional<LiveProcessCancellation::Clock::time_point> LiveProcessCancellation::enforceGrace() {
    std::lock_guard lock(mutex_);
    if (!process_ || !killAt_ || killed_) return std::nullopt;
    if (Clock::now() < *killAt_) return killAt_;
    killed_ = true;
    signalLocked(SIGKILL);
    return std::nullopt;
}

std::int32_t LiveProcessCancellation::awaitExit() {
    std::chrono::milliseconds pause = firstPause;
    for (;;) {
        pid_t pid = 0;
        {
            std::lock_guard lock(mutex_);
            if (!process_) return -1;
            pid = *process_;
        }
        const std::optional<Clock::time_point> killAt = enforceGrace();

        // Look for the exit without reaping, and without the lock, so that cancel() stays responsive
        // while the child runs. The child is a zombie afterwards: its pid is still ours.
        siginfo_t info{};
        int waited = 0;
        do {
            waited = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
        } while (waited == -1 && errno == EINTR);

        if (waited == 0 && !reportsExit(info)) { // still running, or stopped
            Clock::duration wait = pause;
            if (killAt)
                wait = std::clamp<Clock::duration>(*killAt - Clock::now(), Clock::duration::zero(), wait);
            std::this_thread::sleep_for(wait);
            pause = std::min(pause * 2, longestPause);
            continue;
        }

        // Decide under the lock: from here on cancel() either came before (the child is kept for
        // settle()) or sees no pid to signal.
        std::lock_guard lock(mutex_);
        if (waited == -1) { // cannot be waited for: nothing of ours to signal any more
            forgetLocked();
            return -1;
        }
        const std::int32_t code = terminationCode(info);
        if (canceled_) return code;
        int status = 0;
        pid_t reaped = 0;
        do {
            reaped = ::waitpid(pid, &status, WNOHANG);
        } while (reaped == -1 && errno == EINTR);
        forgetLocked();
        return code;
    }
}

void LiveProcessCancellation::settle() {
    std::optional<Clock::time_point> killAt;
    {
        std::lock_guard lock(mutex_);
        if (!process_) return;
        if (!killed_) killAt = killAt_;
    }
    if (killAt) std::this_thread::sleep_until(*killAt);

    std::lock_guard lock(mutex_);
    if (!process_) return;
    // The leader has exited (a zombie) or has just been sent SIGKILL: reaping does not wait for long.
    killed_ = true;
    signalLocked(SIGKILL);
    int status = 0;
    pid_t reaped = 0;
    do {
        reaped = ::waitpid(*process_, &status, 0);
    } while (reaped == -1 && errno == EINTR);
    forgetLocked();
}

std::int32_t LiveProcessCancellation::waitForExit() {
    const std::int32_t code = awaitExit();
    settle();
    return code;
}

bool LiveProcessCancellation::isCanceled() const {
    std::lock_guard lock(mutex_);
    return canceled_;
}

void LiveProcessCancellation::terminateLocked() const {
    signalLocked(SIGTERM);
    // A stopped member (SIGSTOP, SIGTSTP) takes its SIGTERM only once it runs again.
    signalLocked(SIGCONT);
}

void LiveProcessCancellation::signalLocked(int signal) const {
    if (!process_) return;
    // The child leads its own group (its pgid is its pid). If it has left that group and nobody is in
    // it any more, signal the child itself.
    if (::kill(-*process_, signal) == -1) ::kill(*process_, signal);
}

} // namespace qlan
