#include "platform/ReadinessScreenCopy.h"

#include <cmath>

namespace qlan {
namespace {

// `value` / `unit` rounded half away from zero, at least 1.
qint64 roundedAtLeastOne(double value, double unit) {
    const double rounded = std::round(value / unit);
    if (!(rounded >= 1)) return 1;
    if (rounded >= 9.0e18) return static_cast<qint64>(9.0e18);
    return static_cast<qint64>(rounded);
}

QString gigabytes(qint64 bytes) {
    return QString::number(roundedAtLeastOne(static_cast<double>(bytes), 1'000'000'000.0));
}

} // namespace

ReadinessScreenCopy ReadinessScreenCopy::network(const NetworkReadinessResult& result) {
    const QString title = QStringLiteral("Your connection");
    const QString continueLabel = QStringLiteral("Continue now");
    const QString stopLabel = QStringLiteral("Stop and try later");
    if (result.verdict == NetworkVerdict::unreachable) {
        return {title, QStringLiteral("We can't reach the servers needed to install"),
                QStringLiteral(
                    "The Apple and Homebrew download servers aren't responding right now. You can still "
                    "try, but it may fail partway. Checking your internet connection first is "
                    "recommended."),
                continueLabel, stopLabel};
    }
    const qint64 minutes = result.estimatedInstallSeconds
                               ? roundedAtLeastOne(static_cast<double>(*result.estimatedInstallSeconds), 60.0)
                               : 10;
    return {title, QStringLiteral("Slow Internet Connection"),
            QStringLiteral(
                "Quillane downloads several hundred megabytes from Apple and Homebrew. On this connection "
                "that will take about ") +
                QString::number(minutes) +
                QStringLiteral(
                    " minutes. You can continue now, or stop and try again later when your connection is "
                    "faster. Nothing has changed on your Mac yet."),
            continueLabel, stopLabel};
}

ReadinessScreenCopy ReadinessScreenCopy::disk(const DiskReadinessResult& result) {
    const QString title = QStringLiteral("Your disk space");
    const QString continueLabel = QStringLiteral("Continue anyway");
    const QString stopLabel = QStringLiteral("Stop and free up space");
    if (result.verdict == DiskVerdict::critical) {
        const QString available =
            result.availableBytes ? gigabytes(*result.availableBytes) : QStringLiteral("a few");
        return {title, QStringLiteral("Your Mac is almost out of space"),
                QStringLiteral("Your Mac has only about ") + available +
                    QStringLiteral(
                        " GB free. Installing new software now is likely to fail partway and may leave "
                        "your Mac unstable. Freeing up space first is strongly recommended."),
                continueLabel, stopLabel};
    }
    const QString available =
        result.availableBytes ? gigabytes(*result.availableBytes) : QStringLiteral("a little");
    return {
        title, QStringLiteral("Low on disk space"),
        QStringLiteral("Quillane can add up to about ") + gigabytes(result.worstCaseBytes) +
            QStringLiteral(" GB if you install everything we recommend. Your Mac has about ") + available +
            QStringLiteral(" GB free right now. You can continue and choose fewer items, free up some space "
                           "first, or stop and come back later. Nothing has changed on your Mac yet."),
        continueLabel, stopLabel};
}

} // namespace qlan
