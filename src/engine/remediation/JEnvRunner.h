#pragma once
// Registers an installed JDK with jEnv and makes it the global default, through the user's login shell.

#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace qlan {

class JEnvRunner {
public:
    JEnvRunner(QString jenvRoot, ShellRunner shell, std::shared_ptr<FileSystemOperating> fs)
        : jenvRoot(std::move(jenvRoot))
        , shell(std::move(shell))
        , fs(std::move(fs)) {}

    // Runs "/bin/zsh -lc" with a script that enables jEnv's export plugin and adds the JDK (both allowed
    // to fail), then rehashes and sets the global version (either failing ends the script). The JDK
    // folder reaches `jenv add` as one literal word.
    Stream<StreamEvent> registerJDK(const QString& javaHome, int majorVersion) const;

    // The jEnv lines ~/.zshrc lacks, in order: the PATH line, then the init line.
    QStringList missingZshrcLines() const;

    static constexpr QLatin1String pathLine{"export PATH=\"$HOME/.jenv/bin:$PATH\""};
    static constexpr QLatin1String initLine{"eval \"$(jenv init -)\""};

    QString jenvRoot; // carried for the caller; the script calls `jenv` by name
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;
};

} // namespace qlan
