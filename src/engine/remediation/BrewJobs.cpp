// Homebrew and the cask-based jobs. Not built yet: each completes with -1 after one line.

#include "remediation/RemediationJobs.h"

namespace qlan::jobs {

Events installHomebrew(const Runner&) {
    return Runner::unavailable(QStringLiteral("homebrew"));
}

Events installAppCask(const Runner& runner, const QString& cask, const QString&) {
    if (!runner.brewPath) return Runner::homebrewMissing();
    return Runner::unavailable(QStringLiteral("brew:") + cask);
}

Events installClaudeCLI(const Runner& runner, const QString&) {
    if (!runner.brewPath) return Runner::homebrewMissing();
    return Runner::unavailable(QStringLiteral("brew:claude-code@latest"));
}

Events installTemurin(const Runner& runner, const QString&) {
    if (!runner.brewPath) return Runner::homebrewMissing();
    return Runner::unavailable(QStringLiteral("brew:temurin"));
}

std::optional<std::int32_t> installFormulaStep(const Runner& runner, const QString& formula,
                                               const Output& out, std::stop_token) {
    out.line(runner.brewPath
                 ? QStringLiteral("The step “brew:%1” is not available in this build.").arg(formula)
                 : Runner::homebrewMissingLine);
    return -1;
}

} // namespace qlan::jobs
