#pragma once
// Waiting in tests without sleeping blindly: spins the event loop until a condition holds.

#include <functional>

class QObject;
class QWidget;

namespace qlan::test {

// How long a test waits for what must come before it judges that it never will: one deadline for every
// wait, fit for a machine loaded many times over its cores (a sanitized build beside other test programs,
// where a child process or a queued call may take seconds). A wait ends as soon as its condition holds,
// so a passing test never pays for it.
inline constexpr int patienceMs = 60000;

// Processes events of this thread until `condition` is true or `timeoutMs` has passed; returns the
// final value of the condition.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = patienceMs);

// Processes events of this thread until every call queued on it before this one has run, and what those
// queue in turn, `rounds` deep (queued calls run in the order they were queued, so no time is guessed), or
// until `timeoutMs` has passed, deleting what they left to be deleted; returns whether they all ran.
bool waitForQueuedCalls(int rounds = 4, int timeoutMs = patienceMs);

// Processes events until no animation of `root` or below it runs (a selection easing in), or until
// `timeoutMs` has passed; returns whether they have all ended.
bool waitForAnimations(const QObject* root, int timeoutMs = patienceMs);

// Processes events until `window` is shown on screen (exposed), or is the active window, or until
// `patienceMs` has passed; returns whether it is.
bool waitForWindowExposed(QWidget* window);
bool waitForWindowActive(QWidget* window);

} // namespace qlan::test
