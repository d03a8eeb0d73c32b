#pragma once
// Waiting in tests without sleeping blindly: spins the event loop until a condition holds.

#include <functional>

namespace qlan::test {

// Processes events of this thread until `condition` is true or `timeoutMs` has passed; returns the
// final value of the condition.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

} // namespace qlan::test
