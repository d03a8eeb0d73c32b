#pragma once
// A child program (ChildTest.h) that ends while threads of its own still work: the ways it ends, what its
// parent checks of such an end, and a proxy question held inside the system's answerer while it ends.

#include "platform/LiveHTTPFetcher.h"
#include "support/ChildTest.h"

#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <memory>

namespace qlan::test {

// A way a process ends, and the status it then ends with: its event loop ends with 3 and the program ends
// with that, as the application's entry does (SystemProxy::endNowIfAsking first); exit(4) from the main
// thread or from another one; or a return from main (0, the test having passed). A Mac's exit() tells its
// status to no handler, so on a Mac every end through exit() (all but the event loop's, which the entry
// ends itself) may instead end with EXIT_FAILURE: the end of a process whose proxy question is inside the
// system's answerer as it ends.
struct ProcessEnd {
    const char* how;
    int status;
    int orOnAMac;
};
inline constexpr ProcessEnd processEnds[] = {{"event loop", 3, 3},
                                             {"exit", 4, EXIT_FAILURE},
                                             {"worker exit", 4, EXIT_FAILURE},
                                             {"return from main", 0, EXIT_FAILURE}};

// Writes "ending" to the standard output without flushing it (the end flushes it), then ends this child
// program as `how` (one of processEnds) says. Returns only for "return from main": the child test returns,
// and the program's main after it.
void endThisProcess(const QString& how);

// Runs the child test `test` with `environment` and `temporary` as its temporary folder (TMPDIR), so that
// what a child that ends at once leaves there goes with that folder.
ChildRun runEndingChild(const QString& test, QMap<QString, QString> environment,
                        const QTemporaryDir& temporary);

// Whether `child` ended with one of `statuses`, its output whole (its "ending" line there) and without a
// sanitizer's report.
::testing::AssertionResult endedCleanly(const ChildRun& child, std::initializer_list<int> statuses);
// Whether `child` ended as `end` ends a process on this system (on a Mac with either of its statuses).
::testing::AssertionResult endedCleanly(const ChildRun& child, const ProcessEnd& end);

// A fetcher whose system answerer keeps each question inside it until the process ends. Should the statics
// made before the first call of this be destroyed meanwhile, the answerer crashes the process, as an
// answerer whose state is torn down under it would.
std::shared_ptr<LiveHTTPFetcher> fetcherWithAHoldingAnswerer();

// Asks `fetcher` for an address that is not this machine's on a thread of its own, and returns once that
// question is inside the answerer of fetcherWithAHoldingAnswerer().
void askAndHold(const std::shared_ptr<LiveHTTPFetcher>& fetcher);

} // namespace qlan::test
