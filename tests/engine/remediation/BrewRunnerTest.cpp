// The brew runner's formula job, the cask job's command line and environment, and the installed-JDK
// test, with stub programs and real folders in a sandbox.

#include "BrewFixture.h"

#include "platform/PlatformError.h"

#include "support/ProcessChecks.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using E = StreamEvent;

TEST(BrewRunner, FormulaRunsPlainlyWithoutAutoUpdate) {
    Sandbox sandbox;
    writeScriptedBrew(sandbox, {{"==> Pouring gh\n", 0}});
    auto stream = brewRunnerIn(sandbox).installFormula("gh");
    EXPECT_EQ(drain(stream), (std::vector<E>{E::output("==> Pouring gh"), E::completed(0)}));
    const auto calls = sandbox.calls(brewPath);
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.first().arguments, (QStringList{"install", "gh"}));
    EXPECT_EQ(calls.first().environment.value("HOMEBREW_NO_AUTO_UPDATE"), "1");
    EXPECT_FALSE(calls.first().environment.contains("SUDO_ASKPASS"));
    EXPECT_TRUE(privateFoldersIn(sandbox).isEmpty());

    writeScriptedBrew(sandbox, {{"Error: No available formula\n", 3}});
    auto failing = brewRunnerIn(sandbox).installFormula("nope");
    EXPECT_EQ(drain(failing), (std::vector<E>{E::output("Error: No available formula"), E::completed(3)}));

    Sandbox empty;
    auto missing = brewRunnerIn(empty).installFormula("gh");
    EXPECT_EQ(withoutStartReasons(drain(missing)),
              (std::vector<E>{E::output("Failed to start brew: "), E::completed(-1)}));
}

TEST(BrewRunner, CaskRunsWithThePasswordDialogEnvironment) {
    Sandbox sandbox;
    writeScriptedBrew(sandbox, {{"==> Installing Cask temurin\n", 0}});
    auto stream = brewRunnerIn(sandbox).installCask("temurin", "Why", BrewRunner::CaskRecoveryPolicy::none());
    EXPECT_EQ(drain(stream), (std::vector<E>{E::output("==> Installing Cask temurin"), E::completed(0)}));
    const auto calls = sandbox.calls(brewPath);
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.first().arguments, (QStringList{"install", "--cask", "temurin"}));
    const auto& env = calls.first().environment;
    EXPECT_TRUE(env.value("PATH").section(':', 0, 0).contains("/vrl-priv-"));
    EXPECT_TRUE(env.value("SUDO_ASKPASS").endsWith("/askpass.sh"));
    EXPECT_EQ(env.value("HOME"), sandbox.home());
    EXPECT_EQ(env.contains("HOMEBREW_NO_AUTO_UPDATE"), qEnvironmentVariableIsSet("HOMEBREW_NO_AUTO_UPDATE"));
    EXPECT_TRUE(waitUntil([&] { return privateFoldersIn(sandbox).isEmpty(); }));
}

TEST(BrewRunner, CancellingAFormulaKillsBrewAndItsChildren) {
    Sandbox sandbox;
    StubSpec spec;
    spec.script = "/bin/sleep 60 &\necho \"child $!\"\nwait";
    sandbox.writeStub(brewPath, spec);
    auto stream = brewRunnerIn(sandbox).installFormula("mise");
    const auto first = nextWithin(stream);
    ASSERT_TRUE(first && first->text.startsWith("child "));
    const pid_t child = first->text.mid(6).toInt();
    stream.cancel();
    EXPECT_TRUE(waitUntil([&] { return dead(child); }));
}

TEST(BrewRunner, InstalledJDKTest) {
    const QString jvms = "/Library/Java/JavaVirtualMachines/";
    struct Case {
        const char* name;
        QStringList executableJava; // folders whose bin/java is executable
        QStringList plainJava;      // folders whose bin/java is not
        QString caskName;
        bool expected;
    } cases[] = {
        {"no folder", {}, {}, "temurin", false},
        {"any temurin", {"temurin-17.jdk"}, {}, "temurin", true},
        {"lone @ scans", {"temurin-17.jdk"}, {}, "temurin@", true},
        {"version picks its folder", {"temurin-17.jdk"}, {}, "temurin@21", false},
        {"version found", {"temurin-21.jdk"}, {}, "temurin@21", true},
        {"java not executable", {}, {"temurin-21.jdk"}, "temurin", false},
        {"other vendor", {"zulu-21.jdk"}, {}, "temurin", false},
    };
    for (const Case& c : cases) {
        Sandbox sandbox;
        if (QString(c.name) != "no folder") sandbox.makeDirectory(jvms);
        for (const QString& folder : c.executableJava)
            sandbox.writeFile(jvms + folder + "/Contents/Home/bin/java", "#!/bin/sh\n", 0755);
        for (const QString& folder : c.plainJava)
            sandbox.writeFile(jvms + folder + "/Contents/Home/bin/java", "#!/bin/sh\n", 0644);
        EXPECT_EQ(brewRunnerIn(sandbox).hasInstalledJDK(c.caskName), c.expected) << c.name;
    }
    EXPECT_EQ(BrewRunner::temurinVersion("temurin"), "25");
    EXPECT_EQ(BrewRunner::temurinVersion("temurin@21"), "21");
    EXPECT_EQ(BrewRunner::temurinVersion("temurin@"), "25");
}

namespace {

// A process service whose children print one line and end without an exit status.
class NoExitStatus : public ProcessRunning {
public:
    ProcessResult run(const QString&, const QStringList&, const std::optional<Environment>&) override {
        throw PlatformError("unused");
    }
    std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
    stream(const QString&, const QStringList&, const std::optional<Environment>&) override {
        auto [stream, continuation] = Stream<ProcessStreamEvent>::make();
        continuation.yield(ProcessStreamEvent::line("partial"));
        continuation.finish();
        struct Nothing : ProcessCancellation {
            void cancel() override {}
        };
        return {std::move(stream), std::make_shared<Nothing>()};
    }
};

} // namespace

TEST(BrewRunner, ARunThatEndsWithoutAnExitStatusIsNoSuccess) {
    Sandbox sandbox;
    BrewRunner runner = brewRunnerIn(sandbox);
    runner.process = std::make_shared<NoExitStatus>();
    auto formula = runner.installFormula("gh");
    EXPECT_EQ(drain(formula), (std::vector<E>{E::output("partial"), E::completed(-1)}));
    auto cask = runner.installCask("warp", "Why", BrewRunner::CaskRecoveryPolicy::none());
    EXPECT_EQ(drain(cask), (std::vector<E>{E::output("partial"), E::output(""),
                                           E::output("That didn’t work — retrying once in a moment…"),
                                           E::output("partial"), E::completed(-1)}));
}
