#include "editions/brew/BrewVerifier.h"

#include "platform/ProbeSupport.h"

namespace qlan {

SetupVerificationResult BrewVerifier::verify(const std::optional<SystemProfile>&,
                                             const std::shared_ptr<ProcessRunning>& processRunner,
                                             const std::shared_ptr<FileSystemOperating>&) const {
    const std::optional<ProcessResult> run =
        probing::runLoginShell(processRunner.get(), QStringLiteral("brew --version 2>&1")).result;
    if (!run) return result(QString(), -1);
    return result(run->stdOut, run->exitCode);
}

SetupVerificationResult BrewVerifier::result(const QString& output, std::int32_t exitCode) {
    const QString blocked = QStringLiteral("blocked");
    if (exitCode != 0 || output.trimmed().isEmpty())
        return SetupVerificationResult(output, false, exitCode, blocked);

    // Only spaces and line feeds separate the words: "Homebrew\t4.5.2" is one word.
    QStringList words;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        words += line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString item = words.size() >= 2 && words[0] == QLatin1String("Homebrew")
                             ? QStringLiteral("Homebrew installed — version ") + words[1]
                             : QStringLiteral("Homebrew installed");
    return SetupVerificationResult(output, true, 0, QStringLiteral("likely_resolved"), {item});
}

} // namespace qlan
