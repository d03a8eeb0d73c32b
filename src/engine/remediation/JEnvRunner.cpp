#include "remediation/JEnvRunner.h"

#include "platform/ShellQuoting.h"
#include "remediation/ZshrcActivation.h"

namespace qlan {

Stream<StreamEvent> JEnvRunner::registerJDK(const QString& javaHome, int majorVersion) const {
    const QString script =
        QStringList{
            QStringLiteral("set -e"),
            QStringLiteral("jenv enable-plugin export || true"),
            QStringLiteral("jenv add ") + shellQuoted(javaHome) + QStringLiteral(" || true"),
            QStringLiteral("jenv rehash"),
            QStringLiteral("jenv global ") + QString::number(majorVersion),
        }
            .join(QLatin1Char('\n'));
    return shell.stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), script});
}

QStringList JEnvRunner::missingZshrcLines() const {
    return qlan::missingZshrcLines(
        *fs, {{pathLine, QStringLiteral(".jenv/bin")}, {initLine, QStringLiteral("jenv init")}});
}

} // namespace qlan
