#include "remediation/GitConfigScript.h"

#include "platform/ShellQuoting.h"

#include <QStringList>

namespace qlan::GitConfigScript {

QString build(const QString& name, const QString& email) {
    return QStringList{
        QStringLiteral("git config --global user.name ") + shellQuoted(name),
        QStringLiteral("git config --global user.email ") + shellQuoted(email),
        QStringLiteral("git config --global init.defaultBranch main"),
        QStringLiteral("git config --global push.autoSetupRemote true"),
    }
        .join(QStringLiteral(" && "));
}

} // namespace qlan::GitConfigScript
