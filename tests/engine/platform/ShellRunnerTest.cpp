#include "platform/ShellRunner.h"
#include "platform/LiveProcessRunner.h"
#include "support/Wait.h"

#include "support/ProcessChecks.h"
#include "support/ScopedVariable.h"
#include "support/StreamDrain.h"
#include <gmock/gmock.h>

#include <gtest/gtest.h>

#include <QFile>

#include <signal.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <vector>

using namespace qlan;
using qlan::test::childAndGrandchildCommand;
using qlan::test::dead;
using qlan::test::drain;
using qlan::test::nextWithin;
using qlan::test::readChildAndGrandchild;
using qlan::test::reaped;
using qlan::test::ScopedVariable;
using qlan::test::threadCount;
using namespace std::chrono_literals;
using qlan::test::waitUntil;

namespace {

ShellRunner liveShell() {
    return ShellRunner(std::make_shared<LiveProcessRunner>());
}

// A process runner that hands out a prepared stream and records what it was asked and what was done
// to the handle.
class ScriptedProcessRunner : public ProcessRunning {
public:
    struct Handle : ProcessCancellation {
        void cancel() override { ++cancels; }
        std::atomic<int> cancels = 0;
    };

    ProcessResult run(const QString&, const QStringList&, const std::optional<Environment>&) override {
        return {};
    }

    std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<Environment>& environment) override {
        calls << executable + ' ' + arguments.join(' ');
        environmentGiven = environment.has_value();
        auto [stream, producer] = Stream<ProcessStreamEvent>::make();
        this->producer = producer;
        return {std::move(stream), handle};
    }

    QStringList calls;
    bool environmentGiven = true;
    StreamContinuation<ProcessStreamEvent> producer;
    std::shared_ptr<Handle> handle = std::make_shared<Handle>();
};

} // namespace

TEST(ShellRunner, MapsLinesAndTheExitOfARealProgram) {
    ShellRunner shell = liveShell();
    auto lines = shell.stream(QStringLiteral("/bin/sh"),
                              {"-c", R"(printf 'one\n\n\ntwo\r\n'; echo three >&2; exit 3)"});
    EXPECT_THAT(drain(lines), testing::ElementsAre(StreamEvent::output("one"), StreamEvent::output("two"),
                                                   StreamEvent::output("three"), StreamEvent::completed(3)));

    auto silent = shell.stream(QStringLiteral("/usr/bin/true"), {});
    EXPECT_THAT(drain(silent), testing::ElementsAre(StreamEvent::completed(0)));

    auto killed = shell.stream(QStringLiteral("/bin/sh"), {"-c", "kill -TERM $$"});
    EXPECT_THAT(drain(killed), testing::ElementsAre(StreamEvent::completed(15)));

    // The program inherits the application's environment.
    const ScopedVariable inherited("QLAN_SHELL_RUNNER_TEST", "inherited");
    auto env = shell.stream(QStringLiteral("/usr/bin/env"), {});
    EXPECT_THAT(drain(env), testing::Contains(StreamEvent::output("QLAN_SHELL_RUNNER_TEST=inherited")));
}

TEST(ShellRunner, AProgramThatCannotStartYieldsTheReasonAndMinusOne) {
    ShellRunner shell = liveShell();
    auto stream = shell.stream(QStringLiteral("/nonexistent/bin/tool"), {"--version"});
    EXPECT_THAT(
        drain(stream),
        testing::ElementsAre(StreamEvent::output(QStringLiteral("Failed to start /nonexistent/bin/tool: ") +
                                                 QString::fromLocal8Bit(std::strerror(ENOENT))),
                             StreamEvent::completed(-1)));
}

TEST(ShellRunner, EndingTheConsumerStopsTheChildItsDescendantsAndTheMapping) {
    ShellRunner shell = liveShell();
    for (const bool drop : {true, false}) {
        SCOPED_TRACE(drop ? "dropped" : "cancelled");
        const int threadsBefore = threadCount();
        pid_t child = 0;
        pid_t grandchild = 0;
        {
            auto stream = shell.stream(QStringLiteral("/bin/sh"), {"-c", childAndGrandchildCommand});
            const std::optional<StreamEvent> ids = nextWithin(stream);
            ASSERT_TRUE(ids.has_value());
            ASSERT_TRUE(readChildAndGrandchild(ids->text, &child, &grandchild)) << ids->text.toStdString();
            if (!drop) {
                stream.cancel();
                EXPECT_EQ(stream.next(), std::nullopt); // never a `canceled` event, nor anything else
            }
        }
        EXPECT_TRUE(waitUntil([&] { return reaped(child); }));
        EXPECT_TRUE(waitUntil([&] { return dead(grandchild); }));
        // The mapping thread and the reader thread are gone.
        EXPECT_TRUE(waitUntil([&] { return threadCount() <= threadsBefore; }));
    }
}

TEST(ShellRunner, FollowsTheProcessStreamAndCancelsItsHandleAtTheEnd) {
    auto runner = std::make_shared<ScriptedProcessRunner>();
    ShellRunner shell(runner);

    // No environment is given; the mapping ends with the inner stream even without an exit.
    auto stream = shell.stream(QStringLiteral("/bin/zsh"), {"-lc", "mise install"});
    EXPECT_EQ(runner->calls, QStringList{"/bin/zsh -lc mise install"});
    EXPECT_FALSE(runner->environmentGiven);
    runner->producer.yield(ProcessStreamEvent::line("installing"));
    runner->producer.finish();
    EXPECT_THAT(drain(stream), testing::ElementsAre(StreamEvent::output("installing")));
    EXPECT_TRUE(waitUntil([&] { return runner->handle->cancels.load() == 1; }));

    // Only the first exit counts; the stream is finished after it.
    auto exited = shell.stream(QStringLiteral("/bin/zsh"), {});
    runner->producer.yield(ProcessStreamEvent::exited(0));
    runner->producer.yield(ProcessStreamEvent::line("after the exit"));
    EXPECT_THAT(drain(exited), testing::ElementsAre(StreamEvent::completed(0)));
    EXPECT_TRUE(waitUntil([&] { return runner->producer.isCancelled() || runner->producer.isTerminated(); }));

    // Cancelling the outer stream cancels the handle and the inner stream, whose producer learns that
    // nobody listens any more.
    auto abandoned = shell.stream(QStringLiteral("/bin/zsh"), {});
    runner->producer.yield(ProcessStreamEvent::line("working"));
    EXPECT_EQ(nextWithin(abandoned), StreamEvent::output("working"));
    const int cancelsBefore = runner->handle->cancels.load();
    abandoned.cancel();
    EXPECT_TRUE(waitUntil([&] { return runner->producer.isCancelled(); }));
    EXPECT_GT(runner->handle->cancels.load(), cancelsBefore);
}
