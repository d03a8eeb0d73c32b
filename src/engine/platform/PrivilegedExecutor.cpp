#include "platform/PrivilegedExecutor.h"

#include "platform/SearchPath.h"
#include "platform/ShellQuoting.h"

#include <QUuid>

namespace qlan {

QString PrivilegedExecutor::appleScriptEscaped(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return escaped;
}

QString PrivilegedExecutor::askpassScript(const QString& prompt, const QString& title) {
    const QString dialog =
        QStringLiteral("display dialog \"") + appleScriptEscaped(prompt) +
        QStringLiteral("\" default answer \"\" with hidden answer with title \"") +
        appleScriptEscaped(title) +
        QStringLiteral("\" with icon caution buttons {\"Cancel\", \"OK\"} default button \"OK\"");
    // One line of AppleScript per -e, the dialog's as one single-quoted word: no text can end it.
    return QStringLiteral("#!/bin/bash\nosascript -e activate -e ") + shellQuoted(dialog) +
           QStringLiteral(" -e 'return text returned of result'");
}

QString PrivilegedExecutor::sudoWrapperScript() {
    return QStringLiteral("#!/bin/bash\nexec /usr/bin/sudo -A \"$@\"");
}

PrivilegedEnvironment PrivilegedExecutor::makeEnvironment(const QString& prompt) const {
    const QString folder = fs->temporaryDirectory() + QStringLiteral("/vrl-priv-") +
                           QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString askpass = folder + QStringLiteral("/askpass.sh");
    const QString sudo = folder + QStringLiteral("/sudo");

    FileAttributes ownerOnly;
    ownerOnly.posixPermissions = 0700;

    fs->createDirectory(folder, true);
    try {
        // Private before anything is written into it.
        fs->setAttributes(ownerOnly, folder);
        fs->writeString(askpassScript(prompt, dialogTitle), askpass, true);
        fs->setAttributes(ownerOnly, askpass);
        fs->writeString(sudoWrapperScript(), sudo, true);
        fs->setAttributes(ownerOnly, sudo);
    } catch (...) {
        try {
            fs->removeItem(folder);
        } catch (...) {
            // Best effort: the original error is the one to report.
        }
        throw;
    }

    PrivilegedEnvironment result;
    result.environment.insert(QStringLiteral("PATH"),
                              folder + QLatin1Char(':') +
                                  SearchPath::absoluteOnly(qEnvironmentVariable("PATH")));
    result.environment.insert(QStringLiteral("SUDO_ASKPASS"), askpass);
    result.cleanup = [fs = fs, folder] {
        try {
            fs->removeItem(folder);
        } catch (...) {
            // Already gone or not removable: nothing to report.
        }
    };
    return result;
}

} // namespace qlan
