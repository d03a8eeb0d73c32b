#pragma once
// The check after a Java fix: a fresh login shell (which reads the user's start-up files anew) is asked
// for `java -version` and, separately, for the JAVA_HOME it sees.

#include "platform/ProbeSupport.h"
#include "platform/ShellRunner.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

namespace qlan {

class JavaVerifier {
public:
    struct Result {
        // What the login shell running "java -version 2>&1" printed on standard output (its own
        // standard error is dropped); empty when the shell could not be started or ran out of time.
        QString javaVersionOutput;
        // That shell's exit status; -1 when it could not be started or ran out of time.
        std::int32_t javaVersionExitCode = 0;
        // JAVA_HOME as a fresh login shell sees it; none when unset or empty, when the marker line is
        // missing, or when that shell failed.
        std::optional<QString> javaHomeValue;

        // The check passed: exit status 0 and "version" (in any letter case) in the output; with
        // `requiringJavaHome`, also a JAVA_HOME that is present and not empty.
        bool containsVersion(bool requiringJavaHome) const;

        friend bool operator==(const Result&, const Result&) = default;
    };

    // The second shell echoes this text followed by the value of JAVA_HOME on one line.
    static QString marker() { return QStringLiteral("__VRL_VERIFY_JAVA_HOME__:"); }
    static QString javaVersionCommand() { return QStringLiteral("java -version 2>&1"); }
    static QString javaHomeCommand() {
        return QStringLiteral("echo ") + marker() + QStringLiteral("$JAVA_HOME");
    }

    // Each login shell gets `timeLimit`; one that has not finished by then is stopped and counts as
    // failed (empty output, -1, no JAVA_HOME), so that a hanging ~/.zprofile cannot hold the check up.
    explicit JavaVerifier(ShellRunner shell,
                          std::chrono::milliseconds timeLimit = probing::loginShellTimeLimit)
        : shell(std::move(shell))
        , timeLimit(timeLimit) {}

    // Runs the two login shells at the same time and waits for both. Blocks the calling thread (run it
    // off the GUI thread). Never throws: failures are folded into the result.
    Result run() const;

    // The JAVA_HOME value in the output of the marker shell: the text after the marker on the last line
    // that holds it, trimmed of spaces and tabs; none when no line holds it or that text is empty.
    static std::optional<QString> javaHomeFromOutput(const QString& output);

    ShellRunner shell;
    std::chrono::milliseconds timeLimit;
};

} // namespace qlan
