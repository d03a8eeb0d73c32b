// One million output lines of a real child process, through the remediation runner, into the action
// sheet on an offscreen window. Prints the longest stall of the GUI thread while the lines arrive (a
// 1 ms timer that should fire on time; goal: at most 16 ms), the lines per second, and the growth of
// the peak resident memory per line.

#include "editions/EditionTelemetry.h"
#include "editions/ProductConfig.h"
#include "setup/SetupActionOutput.h"
#include "support/Sandbox.h"
#include "telemetry/TelemetryService.h"
#include "ui/setup/SetupActionProgressView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace qlan;

namespace {

constexpr int kLines = 1'000'000;

// The peak resident set of this process, in kilobytes.
qint64 peakResidentKB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Runs the event loop with a 1 ms timer until `done`; returns the longest time between two of its ticks.
qint64 longestStallUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (done()) loop.quit();
    });
    clock.start();
    tick.start();
    loop.exec();
    return longest;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ProductConfig::setCurrent(ProductConfig::homebrewEdition());

    test::Sandbox sandbox;
    // The Node install through mise runs "/bin/zsh -lc ...": here a stub that prints the lines.
    sandbox.writeStub(QStringLiteral("/bin/zsh"),
                      test::StubSpec().withScript(
                          QStringLiteral("/usr/bin/seq -f '==> Pouring node--22.11.0.arm64_sonoma.bottle "
                                         "(line %.0f of the install)' 1 %1")
                              .arg(kLines)));
    TelemetryService telemetry(editionTelemetryConfiguration(sandbox.services(), QUrl()));

    QWidget window;
    window.resize(720, 700);
    window.show();
    QApplication::processEvents();
    const qint64 baselineKB = peakResidentKB();

    auto* view = new SetupActionProgressView(
        QStringLiteral("Install Node"), {SetupRemediation::installNodeViaMise()},
        SetupActionBatch::runWith(SetupRemediationRunner::fromServices(sandbox.services())), false,
        [](SetupActionOutcome) {}, &telemetry, &window);
    const SetupActionBatch* batch = view->batch();
    const SetupActionOutput* output = view->output();

    // How late a 1 ms timer fires on this machine with nothing to do, for comparison.
    QElapsedTimer idle;
    idle.start();
    const qint64 idleStall = longestStallUntil([&] { return idle.elapsed() >= 500; });

    QElapsedTimer clock;
    clock.start();
    view->show();
    const qint64 longestStall =
        longestStallUntil([&] { return batch->hasEnded() && output->rowCount() >= batch->lines().size(); });
    const qint64 elapsed = std::max<qint64>(clock.elapsed(), 1);

    const qsizetype lines = batch->lines().size();
    const qint64 grownKB = peakResidentKB() - baselineKB;
    std::printf("lines: %lld (exit %d), rows shown: %d\n", static_cast<long long>(lines),
                batch->exitCode().value_or(-999), output->rowCount());
    std::printf("elapsed: %lld ms, %.0f lines/s\n", static_cast<long long>(elapsed),
                double(lines) * 1000.0 / double(elapsed));
    std::printf("longest GUI stall: %lld ms (goal: at most 16 ms; idle, the same timer: %lld ms)\n",
                static_cast<long long>(longestStall), static_cast<long long>(idleStall));
    std::printf("peak memory growth: %.1f MB, %.0f bytes per line\n", double(grownKB) / 1024.0,
                lines ? double(grownKB) * 1024.0 / double(lines) : 0.0);
    return lines == kLines + 1 ? 0 : 1; // the job's own first line, then the child's
}
