// How long SystemProfiler::profile takes on a sandboxed Mac whose every program sleeps 100 ms, against
// the slowest of its checks run alone. The checks overlap, so the ratio should stay near 1 (target: at
// most 1.5).

#include "platform/Probes.h"
#include "platform/SystemProfiler.h"
#include "platform/XcodeCLTProbe.h"
#include "support/Sandbox.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace qlan;
using test::Sandbox;
using test::StubSpec;

namespace {

constexpr int sleepMs = 100;
constexpr int rounds = 7;

// The median wall time of `rounds` runs, in milliseconds.
double medianMs(const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void prepare(Sandbox& mac) {
    auto sleepy = [](QString out, QString err = {}, int exitCode = 0) {
        StubSpec spec;
        spec.stdOut = std::move(out);
        spec.stdErr = std::move(err);
        spec.exitCode = exitCode;
        spec.sleepMs = sleepMs;
        return spec;
    };
    mac.writeStub("/usr/bin/uname", sleepy("arm64\n"));
    mac.writeStub("/usr/bin/xcode-select", sleepy("/Library/Developer/CommandLineTools\n"));
    StubSpec which = sleepy({});
    which.script = "[ \"$1\" = claude ] && echo /opt/homebrew/bin/claude && exit 0\nexit 1";
    mac.writeStub("/usr/bin/which", which);
    mac.writeStub("/usr/libexec/java_home",
                  sleepy({}, "Matching Java Virtual Machines (1):\n"
                             "    21.0.2 (arm64) \"Eclipse Adoptium\" - \"OpenJDK 21.0.2\" "
                             "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home\n"));
    mac.writeStub(
        "/bin/zsh",
        sleepy("__VRL_JAVA_HOME__:/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home\n"));
    mac.writeFile("/opt/homebrew/bin/brew", "#!/bin/sh\n", 0755);
    mac.makeDirectory("/Applications/Warp.app");
    mac.makeDirectory("/Applications/Cursor.app");
    mac.makeDirectory("/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home");
    mac.writeFile("/Library/Java/JavaVirtualMachines/zulu-17.jdk/Contents/Home/release",
                  "JAVA_VERSION=\"17.0.9\"\nIMPLEMENTOR=\"Azul Systems, Inc.\"\n");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Sandbox mac;
    prepare(mac);
    SystemProfiler profiler = SystemProfiler::fromServices(mac.services());
    profiler.macosVersion = [] { return OperatingSystemVersion{14, 5, 0}; };
    profiler.shellVariable = [] { return QStringLiteral("/bin/zsh"); };
    const auto process = mac.services().processRunner;

    profiler.profile(); // warm up: page in the stubs and the shell

    struct Check {
        const char* name;
        std::function<void()> run;
    };
    const std::vector<Check> checks = {
        {"architecture (uname -m)", [&] { process->run("/usr/bin/uname", {"-m"}); }},
        {"one application test (Warp.app)", [&] { profiler.isAppInstalled("Warp.app"); }},
        {"mise (which mise)", [&] { profiler.detectMise(); }},
        {"command line tools (xcode-select -p)", [&] { XcodeCLTProbe{profiler.shell}.path(); }},
        {"java (four probes + scan)",
         [&] {
             Probes{profiler.shell, profiler.fs}.probeAll();
         }},
        {"ai tools (12 apps + 3 which)", [&] { profiler.detectAITooling(); }},
        {"terminals (7 apps)", [&] { profiler.detectTerminals(); }},
    };

    std::printf("Every stub program sleeps %d ms; median of %d runs.\n\n", sleepMs, rounds);
    double slowest = 0;
    const char* slowestName = "";
    for (const Check& check : checks) {
        const double ms = medianMs(check.run);
        std::printf("  %-40s %8.1f ms\n", check.name, ms);
        if (ms > slowest) {
            slowest = ms;
            slowestName = check.name;
        }
    }
    const double whole = medianMs([&] { profiler.profile(); });
    std::printf("\n  %-40s %8.1f ms\n", "SystemProfiler::profile (all checks)", whole);
    std::printf("  %-40s %8.1f ms (%s)\n", "slowest single check", slowest, slowestName);
    std::printf("  ratio profile / slowest check: %.2f (target <= 1.5)\n", whole / slowest);
    return 0;
}
