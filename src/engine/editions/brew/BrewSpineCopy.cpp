#include "editions/brew/BrewSpineCopy.h"

#include "editions/brew/HomebrewLocationState.h"

namespace qlan {

std::optional<SpineScreenCopy>
BrewSpineCopy::screenCopy(const QString& domainID, const std::optional<SetupDiagnosis>& diagnosis) const {
    if (domainID == QLatin1String("clt"))
        return SpineScreenCopy{
            QStringLiteral("Command Line Tools"), QStringLiteral("Install the Command Line Tools"),
            QStringLiteral("Apple's Command Line Tools provide basic programs Homebrew needs. "
                           "This can take many minutes; we'll continue automatically when it "
                           "finishes."),
            std::nullopt};
    if (domainID == QLatin1String("homebrew")) {
        if (diagnosis && (diagnosis->headline == HomebrewLocationState::notOnPathHeadline ||
                          diagnosis->headline == HomebrewLocationState::wrongChipHeadline))
            return SpineScreenCopy{QStringLiteral("Homebrew package manager"), diagnosis->headline,
                                   diagnosis->detail, std::nullopt};
        return SpineScreenCopy{
            QStringLiteral("Homebrew package manager"), QStringLiteral("Install Homebrew"),
            QStringLiteral("This installs Homebrew, the macOS package manager, and wires it onto your PATH."),
            std::nullopt};
    }
    if (domainID == QLatin1String("warp"))
        return SpineScreenCopy{QStringLiteral("The terminal"),
                               QStringLiteral("Install Warp, a better terminal"),
                               QStringLiteral("Warp is a fast terminal with AI to help learn and remember "
                                              "commands. Pellinor recommends it."),
                               std::nullopt};
    return std::nullopt;
}

QString BrewSpineCopy::statusLabel(const QString& domainID, const SetupDiagnosis& diagnosis) const {
    QString name = domainID;
    if (domainID == QLatin1String("clt"))
        name = QStringLiteral("Command Line Tools");
    else if (domainID == QLatin1String("homebrew"))
        name = QStringLiteral("Homebrew");
    else if (domainID == QLatin1String("warp"))
        name = QStringLiteral("Warp");

    QString status = statusWord(diagnosis.classification);
    if (domainID == QLatin1String("homebrew")) {
        if (diagnosis.headline == HomebrewLocationState::notOnPathHeadline)
            status = QStringLiteral("installed, not on PATH");
        else if (diagnosis.headline == HomebrewLocationState::wrongChipHeadline)
            status = QStringLiteral("installed for the wrong chip");
    }
    return name + QStringLiteral(": ") + status;
}

QString BrewSpineCopy::diagnosisWindowTitle() const {
    return QStringLiteral("Diagnosis");
}
QString BrewSpineCopy::diagnosisHeadline() const {
    return QStringLiteral("Here's what the system check found");
}
QString BrewSpineCopy::diagnosisFooter() const {
    return QStringLiteral("Nothing changes on your Mac without your okay.");
}
QString BrewSpineCopy::diagnosisArticlePath() const {
    return QStringLiteral("homebrew");
}
QString BrewSpineCopy::verifyingTitle() const {
    return QStringLiteral("Verifying Homebrew…");
}
QString BrewSpineCopy::continueWindowTitle() const {
    return QStringLiteral("Homebrew is installed");
}
QString BrewSpineCopy::continueHeadline() const {
    return QStringLiteral("Homebrew is set up");
}
QString BrewSpineCopy::continueBody() const {
    return QStringLiteral(
        "Want to keep going and set up the rest of your developer environment? You can add a "
        "better editor, AI coding tools, and programming languages.");
}
QString BrewSpineCopy::summaryWindowTitle() const {
    return QStringLiteral("Done");
}
QString BrewSpineCopy::summaryHeadline() const {
    return QStringLiteral("Your Mac is ready");
}
QString BrewSpineCopy::summaryAllVerified() const {
    return QStringLiteral("All tools are verified as working");
}
QString BrewSpineCopy::summarySomeUnverified() const {
    return QStringLiteral(
        "Some tools could not be verified. You can re-run the setup, or continue and try again.");
}
QString BrewSpineCopy::selfCheckTip() const {
    return QStringLiteral("In a terminal, run: brew doctor");
}
QString BrewSpineCopy::outcomeQuestion() const {
    return QStringLiteral("Did this pretty much complete what you came to do?");
}
QString BrewSpineCopy::updateArticlePath() const {
    return QStringLiteral("homebrew/update");
}
QString BrewSpineCopy::troubleshootingArticlePath() const {
    return QStringLiteral("homebrew");
}
QString BrewSpineCopy::outcomeWindowTitle() const {
    return QStringLiteral("One last question");
}
QString BrewSpineCopy::projectFolderPrompt() const {
    return QStringLiteral("Choose a folder to work in");
}

} // namespace qlan
