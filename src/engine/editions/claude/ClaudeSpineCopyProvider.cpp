#include "editions/claude/ClaudeSpineCopyProvider.h"

#include "editions/claude/ClaudeSpineCopy.h"

namespace qlan {

std::optional<SpineScreenCopy>
ClaudeSpineCopyProvider::screenCopy(const QString& domainID, const std::optional<SetupDiagnosis>&) const {
    const std::optional<ClaudeSpineCopy::DomainScreen> screen = ClaudeSpineCopy::screen(domainID);
    if (!screen) return std::nullopt;
    return SpineScreenCopy{screen->windowTitle, screen->headline, screen->body, screen->footer};
}

QString ClaudeSpineCopyProvider::statusLabel(const QString& domainID, const SetupDiagnosis& diagnosis) const {
    QString name = domainID;
    if (domainID == QLatin1String("clt"))
        name = QStringLiteral("Command Line Tools");
    else if (domainID == QLatin1String("homebrew"))
        name = QStringLiteral("Homebrew");
    else if (domainID == QLatin1String("claude-cli"))
        name = QStringLiteral("Claude Code");
    else if (domainID == QLatin1String("warp"))
        name = QStringLiteral("Warp");
    else if (domainID == QLatin1String("claude-desktop"))
        name = QStringLiteral("Claude Desktop");
    return name + QStringLiteral(": ") + statusWord(diagnosis.classification);
}

QString ClaudeSpineCopyProvider::diagnosisWindowTitle() const {
    return QStringLiteral("Diagnosis");
}
QString ClaudeSpineCopyProvider::diagnosisHeadline() const {
    return QStringLiteral("Here's what the system check found");
}
QString ClaudeSpineCopyProvider::diagnosisFooter() const {
    return QStringLiteral("Nothing changes on your Mac without your okay.");
}
QString ClaudeSpineCopyProvider::diagnosisArticlePath() const {
    return QStringLiteral("claude-code/prerequisites");
}
QString ClaudeSpineCopyProvider::verifyingTitle() const {
    return QStringLiteral("Verifying Claude Code…");
}
QString ClaudeSpineCopyProvider::continueWindowTitle() const {
    return QStringLiteral("Keep going?");
}
QString ClaudeSpineCopyProvider::continueHeadline() const {
    return QStringLiteral("Check the developer environment?");
}
QString ClaudeSpineCopyProvider::continueBody() const {
    return QStringLiteral(
        "Claude Code is set up. We'll continue with a check of shell configuration, editors, "
        "and programming languages.");
}
QString ClaudeSpineCopyProvider::summaryWindowTitle() const {
    return QStringLiteral("Done");
}
QString ClaudeSpineCopyProvider::summaryHeadline() const {
    return QStringLiteral("Your Mac is ready for Claude Code");
}
QString ClaudeSpineCopyProvider::summaryAllVerified() const {
    return QStringLiteral("All tools are verified as working");
}
QString ClaudeSpineCopyProvider::summarySomeUnverified() const {
    return QStringLiteral(
        "Some tools could not be verified. You can re-run the setup, or continue and try again.");
}
QString ClaudeSpineCopyProvider::selfCheckTip() const {
    return QStringLiteral("In an AI app, ask the agent: “Is my development environment set up for coding?”");
}
QString ClaudeSpineCopyProvider::outcomeQuestion() const {
    return QStringLiteral("Did this pretty much complete what you came to do?");
}
QString ClaudeSpineCopyProvider::updateArticlePath() const {
    return QStringLiteral("claude-code/update");
}
QString ClaudeSpineCopyProvider::troubleshootingArticlePath() const {
    return QStringLiteral("claude-code/command-not-found");
}
QString ClaudeSpineCopyProvider::outcomeWindowTitle() const {
    return QStringLiteral("One last thing");
}
QString ClaudeSpineCopyProvider::projectFolderPrompt() const {
    return QStringLiteral("Choose a folder for Claude to work in");
}

} // namespace qlan
