#pragma once
// The handle that terminates one child of LiveProcessRunner.
//
// Every child leads a session and a process group of its own; cancel() sends SIGTERM to that whole
// group so that descendants left in it (a `sh -c "curl ... | sh"` pipeline, a background job) end too.
// Whatever in the group is still alive when the grace (2 s unless given) has passed gets SIGKILL: the
// thread that owns the child calls enforceGrace() while it waits, and a cancelled child is reaped only
// after that SIGKILL (settle()), so that a member that ignores SIGTERM never outlives a cancel, not even
// one whose leader has already exited.
//
// A pid is only ever signalled while it is known to be ours: the handle owns the reaping of the child.
// awaitExit() waits for the exit *without* reaping (the child stays a zombie, so neither its pid nor
// the process-group id equal to it can be handed to another process), then reaps under the handle's
// lock and forgets the pid; a cancelled child is kept as a zombie until settle() has sent its group the
// SIGKILL. cancel() signals under the same lock and only while the pid is still stored. A cancel that
// arrives after the reap therefore signals nothing: not the pid, which may already belong to someone
// else, and not the group either. Killing the group by its id after the leader was reaped could hit an
// unrelated group once the id is recycled, so descendants that outlive the reaped leader of a child
// that was not cancelled are left alone. The runner reaps the leader only once its output pipes have
// reached end of file or it has been gone for a while (see LiveProcessRunner), so a descendant still
// holding a pipe in that time is killed by a cancel.
//
// The lock is only ever held for calls that return at once (kill, a reap of a child known to have
// exited, a non-blocking status check): cancel() never waits behind a reap, whichever thread calls it.
//
// This relies on nobody else reaping our children (no waitpid(-1), no SIGCHLD set to SIG_IGN).

#include "platform/ProcessRunning.h"

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>

namespace qlan {

// The code the platform reports for a wait status: the exit status, or the number of the signal that
// ended the child (SIGTERM -> 15); -1 for anything else.
std::int32_t terminationCode(int waitStatus);

// Whether an answer of waitid(WEXITED | WNOHANG) tells that the child is gone: it exited, or a signal
// ended it (with or without a core file). No answer yet (no pid), a stop, a continue or a trap means it
// is still there: a Mac answers that call for a child stopped by SIGSTOP or SIGTSTP too, on every call
// while it stays stopped.
bool reportsExit(const siginfo_t& answer);

class LiveProcessCancellation : public ProcessCancellation {
public:
    using Clock = std::chrono::steady_clock;

    // How long a cancelled child's group has between SIGTERM and SIGKILL.
    static constexpr std::chrono::milliseconds defaultGrace{2000};

    explicit LiveProcessCancellation(std::chrono::milliseconds grace = defaultGrace)
        : grace_(grace) {}
    ~LiveProcessCancellation() override;
    LiveProcessCancellation(const LiveProcessCancellation&) = delete;
    LiveProcessCancellation& operator=(const LiveProcessCancellation&) = delete;

    // Marks the child cancelled and sends SIGTERM to its process group if it has not been reaped yet;
    // the grace starts with the first SIGTERM. Returns at once.
    void cancel() override;

    // Sends SIGKILL to the process group of a child that has not been reaped yet. Returns at once.
    void kill();

    // Stores the started child (leader of its own process group). A cancel that came earlier
    // terminates it at once.
    void attach(pid_t pid);

    // True once the attached child has exited (it is not reaped by asking), or when none is attached.
    // Returns at once.
    bool hasExited() const;

    // After a cancel: sends SIGKILL to the group once the grace has passed. Returns when that is due,
    // or nothing when no SIGKILL is pending (no cancel, already sent, or the child is reaped). Returns
    // at once.
    std::optional<Clock::time_point> enforceGrace();

    // Blocks until the attached child has exited and returns its termination code (-1 when no child is
    // attached or it cannot be waited for), enforcing the grace of a cancel meanwhile. A child that was
    // not cancelled is reaped; a cancelled one is kept for settle(). Only the thread that owns the
    // child calls it.
    std::int32_t awaitExit();

    // For a child that awaitExit() kept: waits until the grace has passed (unless SIGKILL was sent
    // already), sends SIGKILL to whatever is left in its group and reaps it. Otherwise does nothing.
    void settle();

    // awaitExit(), then settle(): the child is reaped when this returns. Only the thread that owns the
    // child calls it.
    std::int32_t waitForExit();

    bool isCanceled() const;

    // Waits until every child of the process that was cancelled has been reaped (by its owner, SIGKILL
    // going to its group when its grace has passed), or until `deadline`; false when one is left then.
    static bool waitForCanceledChildren(Clock::time_point deadline);

private:
    // SIGTERM to the group, then SIGCONT so that a stopped member takes it now.
    void terminateLocked() const;
    void signalLocked(int signal) const;
    // Counts the child among the cancelled ones not reaped yet, once it is attached and cancelled.
    void countIfCanceledLocked();
    // The child is reaped, or cannot be waited for: forgets it.
    void forgetLocked();

    mutable std::mutex mutex_;
    std::optional<pid_t> process_; // attached and not reaped yet
    bool canceled_ = false;
    std::chrono::milliseconds grace_;
    std::optional<Clock::time_point> killAt_; // the end of the grace, from the first SIGTERM sent
    bool killed_ = false;                     // SIGKILL went to the group
    bool counted_ = false;                    // among the cancelled children not reaped yet
};

} // namespace qlan
