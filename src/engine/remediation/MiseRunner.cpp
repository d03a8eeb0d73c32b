#include "remediation/MiseRunner.h"

#include "platform/ShellQuoting.h"
#include "remediation/ZshrcActivation.h"

namespace qlan {

namespace {

QString useCommand(const QString& version) {
    return QStringLiteral("mise use -g java@") + shellQuoted(version);
}

} // namespace

Stream<StreamEvent> MiseRunner::installJava(const QString& version) const {
    const QString script = QStringLiteral("mise install java@") + shellQuoted(version) +
                           QStringLiteral(" && ") + useCommand(version);
    return shell.stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), script});
}

Stream<StreamEvent> MiseRunner::useJava(const QString& version) const {
    return shell.stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), useCommand(version)});
}

QStringList MiseRunner::missingZshrcLines() const {
    return qlan::missingZshrcLines(*fs, {{activationLine, QStringLiteral("mise activate")}});
}

} // namespace qlan
