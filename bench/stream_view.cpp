// The streaming remediation screen under a flood of output: a child in a sandbox prints 1,000,000 lines
// (an `sdk` function of a real login zsh, run through the screen's SDKMAN runner) into the screen,
// shown offscreen; then one line of 256 MB without a line break, and 300 lines of one letter with 2,999
// combining marks each. Prints:
// - the longest stall of the GUI thread while the lines arrive (after the window's first frame), measured
//   as the largest gap between ticks of a 1 ms timer (goal: at most 16 ms), and how many gaps exceeded
//   16 ms;
// - lines per second into the screen, against the same child's output read as a bare stream with
//   next() on a worker thread, and their ratio;
// - the peak resident memory of the run divided by the line count (bytes per line);
// - for the long line, the longest stall, the peak memory (goal: at most 64 MB over the start) and the
//   length of the line the screen kept; for the marked lines, the longest stall;
// - for the million lines once they are in, the longest a resize of the screen takes (by a pixel and by
//   a few characters, rows wrapped anew) and the longest a scroll key takes (Page Up and Up from the
//   bottom, rows measured as they come into view, Home, End), each with the frame it draws (goal: at
//   most 16 ms, aiming at 8 ms).

#include "editions/ProductConfig.h"
#include "platform/ServiceContext.h"
#include "platform/ShellRunner.h"
#include "support/Sandbox.h"
#include "telemetry/TelemetryService.h"
#include "ui/progress/OutputLinesView.h"
#include "ui/progress/StreamingRemediationView.h"
#include "ui/widgets/ProminentButton.h"

#include "ResidentMemory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <future>

using namespace qlan;

namespace {

constexpr long long lineCount = 1000000;
constexpr long long longLineLength = 256LL * 1024 * 1024;
constexpr int markedLines = 300;
const QString candidate = QStringLiteral("21-tem");

enum class Output { manyLines, oneLongLine, markedLines };

// The `sdk` function prints what `output` says.
void prepare(test::Sandbox& mac, Output output) {
    mac.linkSystemProgram(QStringLiteral("/bin/zsh"));
    QString body;
    switch (output) {
    case Output::manyLines:
        body = QStringLiteral("/usr/bin/seq -f 'output line %.0f of the benchmark' 1 %1").arg(lineCount);
        break;
    case Output::oneLongLine:
        body = QStringLiteral("/usr/bin/head -c %1 /dev/zero | /usr/bin/tr '\\0' '='").arg(longLineLength);
        break;
    case Output::markedLines:
        body = QStringLiteral("local marks=$(printf '\\314\\201%.0s' {1..2999}); "
                              "for i in {1..%1}; do printf 'a%s\\n' $marks; done")
                   .arg(markedLines);
        break;
    }
    mac.writeFile(QStringLiteral("/Users/tester/.sdkman/bin/sdkman-init.sh"),
                  (QStringLiteral("sdk() { ") + body + QStringLiteral("; }\n")).toUtf8());
}

// The same child through the sandbox's process runner, read with next() on a worker thread.
double bareLinesPerSecond(const test::Sandbox& mac) {
    const QString script =
        QStringLiteral("source ~/.sdkman/bin/sdkman-init.sh && sdk default java ") + candidate;
    QElapsedTimer timer;
    timer.start();
    auto reading = std::async(std::launch::async, [&] {
        Stream<StreamEvent> stream =
            ShellRunner(mac.services().processRunner).stream(QStringLiteral("/bin/zsh"), {"-lc", script});
        long long lines = 0;
        while (auto event = stream.next())
            if (event->kind == StreamEvent::Kind::output) ++lines;
        return lines;
    });
    const long long lines = reading.get();
    return lines / (timer.nsecsElapsed() / 1e9);
}

bool firstFrameDone(QWidget& window, bool& done) {
    if (!done && window.windowHandle() && window.windowHandle()->isExposed()) {
        window.repaint(); // the first full frame, drawn now
        done = true;
        return false;
    }
    return done;
}

struct ScreenRun {
    double linesPerSecond = 0;
    double longestStallMs = 0;
    long long lines = 0;
    long long peakKiB = -1;
    int stallsOver16 = 0;
    qsizetype longestLine = 0;
    double longestResizeMs = 0;
    double longestKeyMs = 0;
};

// How long `act` takes on the screen's list, with the frame it draws.
double timedOnList(OutputLinesView* list, const std::function<void()>& act) {
    QElapsedTimer timer;
    timer.start();
    act();
    QCoreApplication::processEvents();
    list->viewport()->repaint();
    return timer.nsecsElapsed() / 1e6;
}

// Resizes the screen and scrolls its list by the keys; records the longest of each.
void readRows(StreamingRemediationView* view, ScreenRun& result) {
    OutputLinesView* list = view->outputView();
    list->setFocus();
    for (const int change : {1, 1, 40, -42, 7, -7})
        result.longestResizeMs =
            std::max(result.longestResizeMs,
                     timedOnList(list, [&] { view->resize(view->width() + change, view->height()); }));
    const auto press = [&](Qt::Key key) {
        return timedOnList(list, [&] {
            QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(list, &down);
        });
    };
    for (const Qt::Key key : {Qt::Key_PageUp, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Down})
        for (int i = 0; i < 20; ++i)
            result.longestKeyMs = std::max(result.longestKeyMs, press(key));
    for (const Qt::Key key : {Qt::Key_Home, Qt::Key_PageDown, Qt::Key_End, Qt::Key_PageUp})
        result.longestKeyMs = std::max(result.longestKeyMs, press(key));
}

ScreenRun screenRun(const test::Sandbox& mac) {
    const long long baseline = bench::peakBaselineKiB();
    QWidget window;
    ServiceContext::setServices(&window, mac.services());
    window.resize(640, 560);
    auto* view = new StreamingRemediationView(Remediation::setJavaHomeViaSDKMAN(candidate), {},
                                              TelemetryService::shared(), &window);
    view->resize(640, 560);

    ScreenRun result;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    // Stalls count from the window's first frame: drawing a window the first time is not the stream's
    // cost.
    bool firstFrame = false;
    bool flowing = false;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (!flowing && firstFrameDone(window, firstFrame)) {
            flowing = true;
        } else if (flowing) {
            const double gap = (now - lastTick) / 1e6;
            result.longestStallMs = std::max(result.longestStallMs, gap);
            if (gap > 16) ++result.stallsOver16;
        }
        lastTick = now;
    });
    // The stall count goes on for a moment after the job ended, so that drawing the last rows counts too.
    QEventLoop loop;
    qint64 ended = -1;
    QObject::connect(view->model(), &StreamingRemediationModel::stateChanged, &loop, [&] {
        if (ended >= 0 || view->model()->isRunning()) return;
        ended = clock.nsecsElapsed();
        QTimer::singleShot(250, &loop, &QEventLoop::quit);
    });
    clock.start();
    ticker.start();
    window.show(); // starts the job
    loop.exec();
    ticker.stop();
    readRows(view, result);
    result.lines = view->model()->lines().size() - 1; // the "Running:" line
    for (const QString& line : view->model()->lines())
        result.longestLine = std::max(result.longestLine, line.size());
    result.linesPerSecond = result.lines / (ended / 1e9);
    const long long peak = bench::peakResidentKiB();
    if (baseline >= 0 && peak >= 0) result.peakKiB = peak - baseline;
    if (view->model()->exitCode() != 0)
        std::printf("screen: the job failed (exit %d)\n", *view->model()->exitCode());
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ProductConfig::setCurrent(ProductConfig::homebrewEdition());
    test::Sandbox mac;
    prepare(mac, Output::manyLines);

    const ScreenRun screen = screenRun(mac); // first, so that nothing before it has raised the peak
    const double bare = bareLinesPerSecond(mac);
    prepare(mac, Output::oneLongLine);
    const ScreenRun longLine = screenRun(mac);
    prepare(mac, Output::markedLines);
    const ScreenRun marked = screenRun(mac);
    std::printf(
        "screen: %lld lines, longest GUI-thread stall %.1f ms (goal <= 16 ms), %d stalls over 16 ms\n",
        screen.lines, screen.longestStallMs, screen.stallsOver16);
    std::printf("screen: a resize with %lld lines takes at most %.1f ms, a scroll key at most %.1f ms (goal "
                "<= 16 ms, aim 8 ms)\n",
                screen.lines, screen.longestResizeMs, screen.longestKeyMs);
    std::printf("screen: %10.0f lines/s into the screen\n", screen.linesPerSecond);
    std::printf("bare:   %10.0f lines/s read from the stream\n", bare);
    std::printf("ratio:  %.2f\n", screen.linesPerSecond / bare);
    if (screen.peakKiB >= 0)
        std::printf("memory: peak %.1f MiB over the start = %.0f bytes per line\n", screen.peakKiB / 1024.0,
                    screen.peakKiB * 1024.0 / std::max(1LL, screen.lines));
    else
        std::printf("memory: not measurable here\n");
    std::printf("one line of %lld bytes: longest GUI-thread stall %.1f ms (goal <= 16 ms), %d stalls over "
                "16 ms; the screen keeps %lld characters of it",
                longLineLength, longLine.longestStallMs, longLine.stallsOver16,
                static_cast<long long>(longLine.longestLine));
    if (longLine.peakKiB >= 0)
        std::printf("; memory: peak %.1f MiB over the start (goal <= 64 MiB)", longLine.peakKiB / 1024.0);
    std::printf("\n");
    std::printf(
        "%lld lines of a letter with 2,999 combining marks: longest GUI-thread stall %.1f ms (goal <= "
        "16 ms), %d stalls over 16 ms\n",
        marked.lines, marked.longestStallMs, marked.stallsOver16);
    return 0;
}
