#include "editions/claude/ClaudeVerifier.h"

#include "platform/ProbeSupport.h"

#include <QRegularExpression>

namespace qlan {

SetupVerificationResult ClaudeVerifier::verify(bool desktopPresent) const {
    const std::optional<ProcessResult> run =
        probing::runLoginShell(shell.process.get(), QStringLiteral("claude --version 2>&1")).result;
    if (!run) return result(QString(), -1, desktopPresent);
    return result(run->stdOut, run->exitCode, desktopPresent);
}

SetupVerificationResult ClaudeVerifier::result(const QString& output, std::int32_t exitCode,
                                               bool desktopPresent) {
    SetupVerificationResult verification(output, false, exitCode, QStringLiteral("blocked"));
    verification.details.insert(QStringLiteral("desktop_present"),
                                desktopPresent ? QStringLiteral("true") : QStringLiteral("false"));
    if (exitCode != 0 || output.trimmed().isEmpty()) return verification;

    verification.passed = true;
    verification.engineOutcome = QStringLiteral("likely_resolved");
    const std::optional<QString> version = parseVersion(output);
    verification.verifiedItems.append(version
                                          ? QStringLiteral("Claude Code CLI installed — version ") + *version
                                          : QStringLiteral("Claude Code CLI installed"));
    if (desktopPresent) verification.verifiedItems.append(QStringLiteral("Claude Desktop installed"));
    return verification;
}

std::optional<QString> ClaudeVerifier::parseVersion(const QString& output) {
    // Read on the verifier's thread, also while the process ends: never destroyed.
    static const auto* const separators = new QRegularExpression(QStringLiteral("[ \\n\\t]+"));
    const QStringList words = output.trimmed().split(*separators, Qt::SkipEmptyParts);
    if (words.isEmpty() || !words.first().front().isNumber()) return std::nullopt;
    return words.first();
}

} // namespace qlan
