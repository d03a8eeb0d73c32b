#include "editions/brew/BrewSpineCopy.h"

#include "editions/brew/HomebrewLocationState.h"

namespace qlan {

SpineCopy brewSpineCopy() {
    SpineCopy copy;
    copy.screens = {
        {QStringLiteral("clt"),
         {QStringLiteral("Command Line Tools"), QStringLiteral("Install the Command Line Tools"),
          QStringLiteral(
              "Apple's Command Line Tools provide basic programs Homebrew needs. This can take many "
              "minutes; we'll continue automatically when it finishes."),
          std::nullopt}},
        {QStringLiteral("homebrew"),
         {QStringLiteral("Homebrew package manager"), QStringLiteral("Install Homebrew"),
          QStringLiteral("This installs Homebrew, the macOS package manager, and wires it onto your PATH."),
          std::nullopt}},
        {QStringLiteral("warp"),
         {QStringLiteral("The terminal"), QStringLiteral("Install Warp, a better terminal"),
          QStringLiteral("Warp is a fast terminal with AI to help learn and remember commands. Pellinor "
                         "recommends it."),
          std::nullopt}},
    };
    copy.statusNames = {{QStringLiteral("clt"), QStringLiteral("Command Line Tools")},
                        {QStringLiteral("homebrew"), QStringLiteral("Homebrew")},
                        {QStringLiteral("warp"), QStringLiteral("Warp")}};
    copy.diagnosisOverrides = {
        {QStringLiteral("homebrew"), HomebrewLocationState::notOnPathHeadline,
         QStringLiteral("installed, not on PATH")},
        {QStringLiteral("homebrew"), HomebrewLocationState::wrongChipHeadline,
         QStringLiteral("installed for the wrong chip")},
    };
    copy.diagnosisWindowTitle = QStringLiteral("Diagnosis");
    copy.diagnosisHeadline = QStringLiteral("Here's what the system check found");
    copy.diagnosisFooter = QStringLiteral("Nothing changes on your Mac without your okay.");
    copy.diagnosisArticlePath = QStringLiteral("homebrew");
    copy.verifyingTitle = QStringLiteral("Verifying Homebrew…");
    copy.continueWindowTitle = QStringLiteral("Homebrew is installed");
    copy.continueHeadline = QStringLiteral("Homebrew is set up");
    copy.continueBody =
        QStringLiteral("Want to keep going and set up the rest of your developer environment? "
                       "You can add a better editor, AI coding tools, and programming "
                       "languages.");
    copy.summaryWindowTitle = QStringLiteral("Done");
    copy.summaryHeadline = QStringLiteral("Your Mac is ready");
    copy.summaryAllVerified = QStringLiteral("All tools are verified as working");
    copy.summarySomeUnverified = QStringLiteral(
        "Some tools could not be verified. You can re-run the setup, or continue and try again.");
    copy.selfCheckTip = QStringLiteral("In a terminal, run: brew doctor");
    copy.outcomeQuestion = QStringLiteral("Did this pretty much complete what you came to do?");
    copy.updateArticlePath = QStringLiteral("homebrew/update");
    copy.troubleshootingArticlePath = QStringLiteral("homebrew");
    copy.outcomeWindowTitle = QStringLiteral("One last question");
    copy.projectFolderPrompt = QStringLiteral("Choose a folder to work in");
    return copy;
}

} // namespace qlan
