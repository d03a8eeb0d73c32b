#include "diagnose/JavaVerifier.h"

#include "platform/ChildTask.h"
#include "platform/ProbeSupport.h"

namespace qlan {

bool JavaVerifier::Result::containsVersion(bool requiringJavaHome) const {
    if (javaVersionExitCode != 0) return false;
    if (!javaVersionOutput.contains(QStringLiteral("version"), Qt::CaseInsensitive)) return false;
    return !requiringJavaHome || (javaHomeValue && !javaHomeValue->isEmpty());
}

JavaVerifier::Result JavaVerifier::run() const {
    ProcessRunning* process = shell.process.get();
    const std::chrono::milliseconds limit = timeLimit;
    auto versionCheck = startChildTask(
        [process, limit] { return probing::runLoginShell(process, javaVersionCommand(), limit); });
    auto homeCheck = startChildTask(
        [process, limit] { return probing::runLoginShell(process, javaHomeCommand(), limit); });

    Result result;
    const probing::CommandOutcome version = versionCheck.get();
    result.javaVersionOutput = version.result ? version.result->stdOut : QString();
    result.javaVersionExitCode = version.result ? version.result->exitCode : -1;
    const probing::CommandOutcome home = homeCheck.get();
    result.javaHomeValue = javaHomeFromOutput(home.result ? home.result->stdOut : QString());
    return result;
}

std::optional<QString> JavaVerifier::javaHomeFromOutput(const QString& output) {
    const QStringList lines = probing::splitLines(output);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const qsizetype at = line->indexOf(marker());
        if (at < 0) continue;
        const QString value = probing::trimSpacesAndTabs(line->mid(at + marker().size()));
        if (value.isEmpty()) return std::nullopt;
        return value;
    }
    return std::nullopt;
}

} // namespace qlan
