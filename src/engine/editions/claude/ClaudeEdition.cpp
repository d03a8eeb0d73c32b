// The Claude Code edition's record.
#include "editions/BrandConstants.h"
#include "editions/EditionSupport.h"
#include "editions/ProductConfig.h"
#include "editions/claude/ClaudeSetupProber.h"
#include "editions/claude/ClaudeSetupVerifier.h"
#include "editions/claude/ClaudeSpineCopy.h"
#include "editions/claude/ClaudeSpineProvider.h"

namespace qlan {

ProductConfig ProductConfig::makeClaudeEdition() {
    ProductConfig config;
    config.appID = QStringLiteral("qlan-claude");
    config.displayName = QStringLiteral("Quillane for Claude Code");
    config.appSupportDirName = QStringLiteral("Quillane for Claude Code");
    config.userDefaultsPrefix = QString::fromLatin1(brand::claudeEditionIdentifier);
    config.shellConfigMarker = QStringLiteral("Quillane");
    config.datedShellMarker = false;
    config.cacheDirName = QStringLiteral("QuillaneClaude");
    config.copy = ProductCopy{
        QStringLiteral(
            "Run a check to find if anything is missing. Nothing changes on your Mac without your okay."),
        QStringLiteral("Check my setup"), QStringLiteral("Is your Mac ready for Claude Code?")};
    config.urls =
        editions::setupEditionURLs("/claude-code/install", "/claude-code", "/claude-code", "qlan_claude");
    QStringList privacy = editions::setupEditionPrivacyBullets();
    privacy.append(QStringLiteral("Not affiliated with Anthropic."));
    config.consent = ConsentCopy{
        QStringLiteral("What this app does"),
        {
            QStringLiteral("Checks what is needed to run Claude Code."),
            QStringLiteral("Installs the Claude Code CLI and Claude Desktop with Homebrew, if you wish."),
            QStringLiteral("Asks for your permission before installing or changing anything."),
        },
        QStringLiteral("Your privacy and Mac integrity are respected"),
        privacy,
    };
    config.diagnosisProfile = std::make_shared<InertDiagnosisProfile>();
    config.flow = SetupFlow::setupWorkflow;

    config.sharedDomainCopy = SharedDomainCopy::claudeEdition();
    config.spinePolicy = SpineRenderPolicy::claudeEdition();
    config.spineProvider = std::make_shared<ClaudeSpineProvider>();
    config.verifier = std::make_shared<ClaudeSetupVerifier>();
    config.prober = std::make_shared<ClaudeSetupProber>();
    config.spineCopy = std::make_shared<const SpineCopy>(claudeSpineCopy());
    return config;
}

ProductConfig ProductConfig::claudeEdition() {
    static const ProductConfig edition = makeClaudeEdition();
    return edition;
}

} // namespace qlan
