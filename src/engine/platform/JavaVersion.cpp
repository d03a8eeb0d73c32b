#include "platform/JavaVersion.h"

#include <QRegularExpression>

namespace qlan::JavaVersion {

std::optional<qint64> parseMajor(const QString& text) {
    const QRegularExpression pattern(QStringLiteral(R"(version\s+"(\d+)(?:\.(\d+))?)"));
    if (!pattern.isValid()) return std::nullopt;
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return std::nullopt;
    bool ok = false;
    const qint64 major = match.captured(1).toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    if (major != 1) return major;
    if (match.hasCaptured(2)) {
        const qint64 minor = match.captured(2).toLongLong(&ok, 10);
        if (ok) return minor;
    }
    return 1;
}

} // namespace qlan::JavaVersion
