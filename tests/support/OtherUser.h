#pragma once
// "Another user" for tests in which permissions must count: we run as the super-user, who passes them
// all, so the part under test runs as a test of this program in a child that is `nobody` (uid and gid
// 65534, no other groups), through setpriv(1).

#include "support/ChildTest.h"

#include <QStandardPaths>

#include <optional>
#include <unistd.h>

namespace qlan::test {

inline constexpr uid_t nobody = 65534;

// Why no child can be another user here; none when one can.
inline std::optional<QString> whyNoOtherUser() {
#if defined(__linux__)
    if (::geteuid() != 0) return QStringLiteral("only the super-user can start a child as another user");
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        return QStringLiteral("setpriv(1) is not installed");
    return std::nullopt;
#else
    return QStringLiteral("another user is played only on Linux, with setpriv(1)");
#endif
}

// The leading words that run a command as `nobody`.
inline QStringList asNobody() {
    return {QStandardPaths::findExecutable(QStringLiteral("setpriv")), QStringLiteral("--reuid=65534"),
            QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
}

// Runs the test `test` of this program as `nobody`, with `environment` added to this one's.
inline ChildRun runTestAsNobody(const QString& test, const QMap<QString, QString>& environment) {
    return runTestUnder(asNobody(), test, environment);
}

} // namespace qlan::test
