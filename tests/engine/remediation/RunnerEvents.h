#pragma once
// The runner's events in tests: readable failure messages, and the events of a stream that must already
// be over (an immediate job's).

#include "remediation/SetupRemediationRunner.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace qlan {

inline void PrintTo(const SetupRemediationRunner::Event& event, std::ostream* out) {
    using Kind = SetupRemediationRunner::Event::Kind;
    switch (event.kind) {
    case Kind::output:
        *out << "output(\"" << event.text.toStdString() << "\")";
        return;
    case Kind::completed:
        *out << "completed(" << event.exitCode << ")";
        return;
    case Kind::openBrowser:
        *out << "openBrowser(\"" << event.url.toStdString() << "\", "
             << (event.code ? '"' + event.code->toStdString() + '"' : std::string("none")) << ")";
        return;
    case Kind::canceled:
        *out << "canceled";
        return;
    }
}

namespace test {

// Every event already buffered, read without waiting; fails the test when the stream had not ended.
inline std::vector<SetupRemediationRunner::Event> finishedEvents(SetupRemediationRunner::Events& stream) {
    std::vector<SetupRemediationRunner::Event> events;
    while (auto event = stream.tryNext())
        events.push_back(std::move(*event));
    EXPECT_TRUE(stream.isAtEnd()) << "the stream is not over yet";
    return events;
}

inline std::vector<SetupRemediationRunner::Event> runImmediate(const SetupRemediationRunner& runner,
                                                               const SetupRemediation& remediation) {
    auto stream = runner.run(remediation, QStringLiteral("Quillane"));
    return finishedEvents(stream);
}

} // namespace test

} // namespace qlan
