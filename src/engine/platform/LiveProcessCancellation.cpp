#include "platform/LiveProcessCancellation.h"

#include <sys/wait.h>

#include <cerrno>
#include <csignal>

namespace qlan {

std::int32_t terminationCode(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return WTERMSIG(waitStatus);
    return -1;
}

void LiveProcessCancellation::cancel() {
    std::lock_guard lock(mutex_);
    canceled_ = true;
    signalLocked(SIGTERM);
}

void LiveProcessCancellation::kill() {
    std::lock_guard lock(mutex_);
    signalLocked(SIGKILL);
}

void LiveProcessCancellation::attach(pid_t pid) {
    std::lock_guard lock(mutex_);
    process_ = pid;
    if (canceled_) signalLocked(SIGTERM);
}

bool LiveProcessCancellation::hasExited() const {
    std::lock_guard lock(mutex_);
    if (!process_) return true;
    siginfo_t info{};
    int waited = 0;
    do {
        waited = ::waitid(P_PID, static_cast<id_t>(*process_), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (waited == -1 && errno == EINTR);
    // si_pid stays 0 while the child runs; an error (it cannot be waited for) counts as gone.
    return waited == -1 || info.si_pid != 0;
}

std::int32_t LiveProcessCancellation::waitForExit() {
    for (;;) {
        pid_t pid = 0;
        {
            std::lock_guard lock(mutex_);
            if (!process_) return -1;
            pid = *process_;
        }

        // Wait for the exit without reaping, and without the lock, so that cancel() stays responsive
        // while the child runs. The child is a zombie afterwards: its pid is still ours.
        siginfo_t info{};
        int waited = 0;
        do {
            waited = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
        } while (waited == -1 && errno == EINTR);

        // Reap under the lock, without waiting: from here on cancel() no longer sees a pid to signal.
        std::lock_guard lock(mutex_);
        int status = 0;
        pid_t reaped = 0;
        do {
            reaped = ::waitpid(pid, &status, WNOHANG);
        } while (reaped == -1 && errno == EINTR);
        if (reaped == 0 && waited == 0) continue; // not reapable yet after all: wait again, unlocked
        process_.reset();
        return reaped == pid ? terminationCode(status) : -1;
    }
}

bool LiveProcessCancellation::isCanceled() const {
    std::lock_guard lock(mutex_);
    return canceled_;
}

void LiveProcessCancellation::signalLocked(int signal) const {
    if (!process_) return;
    // The child leads its own group (its pgid is its pid). If it has left that group and nobody is in
    // it any more, signal the child itself.
    if (::kill(-*process_, signal) == -1) ::kill(*process_, signal);
}

} // namespace qlan
