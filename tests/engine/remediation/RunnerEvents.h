#pragma once
// The runner's events in tests: readable failure messages, the events of a stream that must already be
// over (a job that touches nothing), and those of a job read to its end.

#include "StreamEventPrinter.h"
#include "remediation/SetupRemediationRunner.h"
#include "support/StreamDrain.h"

#include <gtest/gtest.h>

#include <vector>

namespace qlan {

namespace test {

// Every event already buffered, read without waiting; fails the test when the stream had not ended.
inline std::vector<StreamEvent> finishedEvents(SetupRemediationRunner::Events& stream) {
    std::vector<StreamEvent> events;
    while (auto event = stream.tryNext())
        events.push_back(std::move(*event));
    EXPECT_TRUE(stream.isAtEnd()) << "the stream is not over yet";
    return events;
}

// The events of a job that touches nothing, over when `run` returns.
inline std::vector<StreamEvent> runImmediate(const SetupRemediationRunner& runner,
                                             const SetupRemediation& remediation) {
    auto stream = runner.run(remediation, QStringLiteral("Quillane"));
    return finishedEvents(stream);
}

// Every event of a job, read to its end.
inline std::vector<StreamEvent> runToEnd(const SetupRemediationRunner& runner,
                                         const SetupRemediation& remediation) {
    auto stream = runner.run(remediation, QStringLiteral("Quillane"));
    return drain(stream);
}

} // namespace test

} // namespace qlan
