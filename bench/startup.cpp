// Start-up time: from process start to the first shown window, for the application and for a minimal
// Qt window program (one window of the same size with one line of text), over several alternating runs.
// Prints both medians and their ratio (target: at most 1.3).
//
// The application starts as on a later launch (consent given earlier), so that the system probe starts
// together with the window. The probe runs off the GUI thread and must not delay the first frame: a
// control run of the same window without the probe shows what the probe costs (nothing, within noise).
// The children run with a throw-away home and settings folder and with telemetry off; without a display
// they use the offscreen platform.
//
//   bench_startup [runs]   (default 15)

#include "editions/ProductConfig.h"
#include "platform/LiveKeyValueStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::optional<double> measureOnce(const QString& program, const QProcessEnvironment& environment,
                                  const QStringList& arguments = {}) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    const auto started = Clock::now().time_since_epoch();
    child.start(program, arguments);
    if (!child.waitForStarted(10000)) return std::nullopt;
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
        return std::nullopt;
    }
    const QStringList lines = QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (!line.startsWith(QStringLiteral("first-frame "))) continue;
        const long long shownNs = line.mid(12).trimmed().toLongLong();
        const long long startNs = std::chrono::duration_cast<std::chrono::nanoseconds>(started).count();
        return (shownNs - startNs) / 1e6;
    }
    return std::nullopt;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 15;
    const QDir here(QCoreApplication::applicationDirPath());
    const QString appProgram = here.filePath(QStringLiteral("bench_startup_app"));
    const QString minimalProgram = here.filePath(QStringLiteral("bench_startup_minimal"));
    for (const QString& program : {appProgram, minimalProgram}) {
        if (!QFileInfo(program).isExecutable()) {
            std::fprintf(stderr, "missing %s\n", qPrintable(program));
            return 1;
        }
    }

    QTemporaryDir scratch;
    const QString home = scratch.filePath(QStringLiteral("home"));
    const QString config = scratch.filePath(QStringLiteral("config"));
    QDir().mkpath(home);
    QDir().mkpath(config);

    // The application's settings file, as its entry names it, with the consent given earlier.
    const qlan::ProductConfig edition = qlan::ProductConfig::homebrewEdition();
    const QString settingsFile = QDir(config).filePath(edition.appSupportDirName + QLatin1Char('/') +
                                                       edition.displayName + QStringLiteral(".conf"));
    qlan::LiveKeyValueStore(settingsFile)
        .set(true, edition.userDefaultsPrefix + QStringLiteral(".consented"));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), scratch.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), scratch.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("QLAN_TELEMETRY_DISABLED"), QStringLiteral("1"));
    if (!environment.contains(QStringLiteral("DISPLAY")) &&
        !environment.contains(QStringLiteral("WAYLAND_DISPLAY")) &&
        !environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    std::printf("platform: %s, runs: %d\n",
                qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("default"))),
                runs);

    // One warm-up run each (loads the libraries into the page cache), then alternate.
    measureOnce(appProgram, environment);
    measureOnce(minimalProgram, environment);
    const QStringList noProbe{QStringLiteral("--no-probe")};
    std::vector<double> app, minimal, appWithoutProbe;
    for (int i = 0; i < runs; ++i) {
        const auto a = measureOnce(appProgram, environment);
        const auto m = measureOnce(minimalProgram, environment);
        const auto n = measureOnce(appProgram, environment, noProbe);
        if (!a || !m || !n) {
            std::fprintf(stderr, "run %d: a child did not report its first frame\n", i + 1);
            return 1;
        }
        app.push_back(*a);
        minimal.push_back(*m);
        appWithoutProbe.push_back(*n);
    }

    const double appMedian = median(app);
    const double minimalMedian = median(minimal);
    const double ratio = appMedian / minimalMedian;
    std::printf("application first window:    median %.1f ms (min %.1f, max %.1f)\n", appMedian,
                *std::min_element(app.begin(), app.end()), *std::max_element(app.begin(), app.end()));
    std::printf("minimal Qt window program:   median %.1f ms (min %.1f, max %.1f)\n", minimalMedian,
                *std::min_element(minimal.begin(), minimal.end()),
                *std::max_element(minimal.begin(), minimal.end()));
    std::printf("ratio: %.2f (target <= 1.30) %s\n", ratio, ratio <= 1.3 ? "ok" : "OVER TARGET");
    const double controlMedian = median(appWithoutProbe);
    std::printf("same window without the probe: median %.1f ms; the probe at start adds %+.1f ms\n",
                controlMedian, appMedian - controlMedian);
    return 0;
}
