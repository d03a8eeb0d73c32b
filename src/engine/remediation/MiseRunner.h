#pragma once
// Installs or selects a Java through mise, in the user's login shell.

#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace qlan {

class MiseRunner {
public:
    MiseRunner(QString miseExecutable, ShellRunner shell, std::shared_ptr<FileSystemOperating> fs)
        : miseExecutable(std::move(miseExecutable))
        , shell(std::move(shell))
        , fs(std::move(fs)) {}

    // "mise install java@<version> && mise use -g java@<version>", the version one literal word.
    Stream<StreamEvent> installJava(const QString& version) const;
    // "mise use -g java@<version>".
    Stream<StreamEvent> useJava(const QString& version) const;

    // Empty, or the activation line when no active line of ~/.zshrc activates mise.
    QStringList missingZshrcLines() const;

    static constexpr QLatin1String activationLine{"eval \"$(mise activate zsh)\""};

    QString miseExecutable; // carried for the caller; the scripts call `mise` by name
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;
};

} // namespace qlan
