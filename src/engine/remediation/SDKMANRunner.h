#pragma once
// Runs an `sdk` command with SDKMAN's shell functions loaded, in the user's login shell.

#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"

#include <QString>

#include <memory>

namespace qlan {

class SDKMANRunner {
public:
    SDKMANRunner(QString sdkmanRoot, ShellRunner shell, std::shared_ptr<FileSystemOperating> fs)
        : sdkmanRoot(std::move(sdkmanRoot))
        , shell(std::move(shell))
        , fs(std::move(fs)) {}

    // "source <root>/bin/sdkman-init.sh && sdk <arguments>": the init script's path is one literal word,
    // the arguments are shell text as given (build them with the helpers below).
    Stream<StreamEvent> run(const QString& arguments) const;

    // The argument texts of the Java remediations, the candidate one literal word.
    static QString installJavaArguments(const QString& candidate);
    static QString defaultJavaArguments(const QString& candidate);

    QString sdkmanRoot;
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;
};

} // namespace qlan
