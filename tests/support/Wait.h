#pragma once
// Waiting in tests without sleeping blindly: spins the event loop until a condition holds.

#include <functional>

class QObject;

namespace qlan::test {

// Processes events of this thread until `condition` is true or `timeoutMs` has passed; returns the
// final value of the condition.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Processes events of this thread until every call queued on it before this one has run, and what those
// queue in turn, `rounds` deep (queued calls run in the order they were queued, so no time is guessed), or
// until `timeoutMs` has passed, deleting what they left to be deleted; returns whether they all ran.
bool waitForQueuedCalls(int rounds = 4, int timeoutMs = 5000);

// Processes events until no animation of `root` or below it runs (a selection easing in), or until
// `timeoutMs` has passed; returns whether they have all ended.
bool waitForAnimations(const QObject* root, int timeoutMs = 5000);

} // namespace qlan::test
