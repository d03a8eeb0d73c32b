// Output of a real child process, through the remediation runner, into the action sheet on an offscreen
// window, in three runs: one line of 256 MB without a line break (goal: the peak resident memory grows
// by at most 64 MB), 300 lines of one letter with 2,999 combining marks each, then one million lines.
// Prints for each the longest stall of the GUI thread while the output arrives and is drawn, after the
// sheet's first frame (a 1 ms timer that should fire on time; goal: at most 16 ms), the lines per second,
// and the growth of the peak resident memory (also per line).

#include "editions/EditionTelemetry.h"
#include "editions/ProductConfig.h"
#include "setup/SetupActionOutput.h"
#include "support/Sandbox.h"
#include "telemetry/TelemetryService.h"
#include "ui/setup/SetupActionProgressView.h"

#include "ResidentMemory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace qlan;

namespace {

constexpr int kLines = 1'000'000;
constexpr qint64 kLongLine = 256 * 1024 * 1024;
constexpr int kMarkedLines = 300;

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

// One run of the action sheet: the Node install through mise runs "/bin/zsh -lc ...", here a stub that
// runs `script`. Prints the figures; returns the number of lines the batch kept, or -1 when it failed.
qsizetype runSheet(test::Sandbox& sandbox, TelemetryService& telemetry, QWidget& window, const char* name,
                   const QString& script) {
    sandbox.writeStub(QStringLiteral("/bin/zsh"), test::StubSpec().withScript(script));
    const qint64 baselineKB = bench::peakBaselineKiB();
    auto* view = new SetupActionProgressView(
        QStringLiteral("Install Node"), {SetupRemediation::installNodeViaMise()},
        SetupActionBatch::runWith(SetupRemediationRunner::fromServices(sandbox.services())), false,
        [](SetupActionOutcome) {}, ProductConfig::current(), telemetry, &window);
    const SetupActionBatch* batch = view->batch();
    const SetupActionOutput* output = view->output();

    // The sheet's first frame is drawn before the count starts: drawing a new sheet is not the output's
    // cost (it is printed apart).
    QElapsedTimer clock;
    clock.start();
    view->show();
    QApplication::processEvents();
    const qint64 firstFrame = clock.elapsed();
    // The stall count goes on for a moment after the last row arrived, so that drawing it counts too.
    qint64 caughtUp = -1;
    const qint64 longestStall = longestStallUntil([&] {
        if (caughtUp < 0 && batch->hasEnded() && output->rowCount() >= batch->lines().size())
            caughtUp = clock.elapsed();
        return caughtUp >= 0 && clock.elapsed() >= caughtUp + 250;
    });
    const qint64 elapsed = std::max<qint64>(caughtUp, 1);

    const qsizetype lines = batch->lines().size();
    const qint64 grownKB = bench::peakResidentKiB() - baselineKB;
    qsizetype longest = 0;
    for (const QString& line : batch->lines())
        longest = std::max(longest, line.size());
    std::printf("%s: %lld lines (exit %d), rows shown: %d, longest kept line: %lld characters\n", name,
                static_cast<long long>(lines), batch->exitCode().value_or(-999), output->rowCount(),
                static_cast<long long>(longest));
    std::printf(
        "  longest GUI stall: %lld ms (goal: at most 16 ms; the sheet's first frame before it: %lld ms)\n",
        static_cast<long long>(longestStall), static_cast<long long>(firstFrame));
    std::printf("  elapsed: %lld ms, %.0f lines/s\n", static_cast<long long>(elapsed),
                double(lines) * 1000.0 / double(elapsed));
    std::printf("  peak memory growth: %.1f MB, %.0f bytes per line\n", double(grownKB) / 1024.0,
                double(grownKB) * 1024.0 / double(std::max<qsizetype>(lines, 1)));
    const bool ended = batch->exitCode() == 0;
    delete view;
    return ended ? lines : -1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ProductConfig::setCurrent(ProductConfig::homebrewEdition());

    test::Sandbox sandbox;
    TelemetryService telemetry(editionTelemetryConfiguration(sandbox.services(), QUrl()));

    QWidget window;
    window.resize(720, 700);
    window.show();
    QApplication::processEvents();

    // How late a 1 ms timer fires on this machine with nothing to do, for comparison.
    QElapsedTimer idle;
    idle.start();
    const qint64 idleStall = longestStallUntil([&] { return idle.elapsed() >= 500; });
    std::printf("idle: a 1 ms timer fires at most %lld ms late\n", static_cast<long long>(idleStall));

    // First one line without a line break, as a tool that draws its progress in place might print (first,
    // so that the memory the million lines leave behind does not hide its peak).
    const qsizetype oneLine =
        runSheet(sandbox, telemetry, window, "one line of 256 MB (peak memory goal: at most 64 MB)",
                 QStringLiteral("/usr/bin/head -c %1 /dev/zero | /usr/bin/tr '\\0' '='").arg(kLongLine));
    const qsizetype markedLines =
        runSheet(sandbox, telemetry, window, "300 lines of a letter with 2,999 combining marks",
                 QStringLiteral("marks=$(printf '\\314\\201%.0s' $(/usr/bin/seq 2999)); "
                                "for i in $(/usr/bin/seq %1); do printf 'a%s\\n' \"$marks\"; done")
                     .arg(kMarkedLines));
    const qsizetype manyLines = runSheet(
        sandbox, telemetry, window, "a million lines",
        QStringLiteral("/usr/bin/seq -f '==> Pouring node--22.11.0.arm64_sonoma.bottle (line %.0f of the "
                       "install)' 1 %1")
            .arg(kLines));
    // The job's own first line, then the child's.
    return manyLines == kLines + 1 && markedLines == kMarkedLines + 1 && oneLine == 2 ? 0 : 1;
}
