// The Homebrew edition's record: the edition this application runs.
#include "editions/BrandConstants.h"
#include "editions/EditionSupport.h"
#include "editions/ProductConfig.h"
#include "editions/brew/BrewProber.h"
#include "editions/brew/BrewSpineCopy.h"
#include "editions/brew/BrewSpineProvider.h"
#include "editions/brew/BrewVerifier.h"

namespace qlan {

ProductConfig ProductConfig::makeHomebrewEdition() {
    ProductConfig config;
    config.appID = QStringLiteral("qlan-brew");
    config.displayName = QString::fromLatin1(brand::homebrewEditionDisplayName);
    config.appSupportDirName = QStringLiteral("Quillane with Homebrew");
    config.userDefaultsPrefix = QString::fromLatin1(brand::homebrewEditionIdentifier);
    config.shellConfigMarker = QStringLiteral("Quillane");
    config.datedShellMarker = false;
    config.cacheDirName = QStringLiteral("QuillaneBrew");
    config.copy =
        ProductCopy{QStringLiteral("Homebrew is the package manager developers use to install tools on a "
                                   "Mac. The app will run a check to see what's needed. Nothing changes "
                                   "without your okay."),
                    QStringLiteral("Check my setup"), QStringLiteral("Set up Homebrew on your Mac")};
    config.urls = editions::setupEditionURLs("/homebrew", "/homebrew", "/homebrew", "qlan_brew");
    config.consent = ConsentCopy{
        QStringLiteral("What this app does"),
        {
            QStringLiteral("Checks whether Homebrew and the tools it needs are set up."),
            QStringLiteral("Installs Homebrew and Apple's Command Line Tools, if you wish."),
            QStringLiteral("Asks for your permission before installing or changing anything."),
        },
        QStringLiteral("Your privacy and Mac integrity are respected"),
        editions::setupEditionPrivacyBullets(),
    };
    config.diagnosisProfile = std::make_shared<InertDiagnosisProfile>();
    config.flow = SetupFlow::setupWorkflow;

    config.sharedDomainCopy = SharedDomainCopy::standard();
    config.spinePolicy = SpineRenderPolicy::homebrewEdition();
    config.spineProvider = std::make_shared<BrewSpineProvider>();
    config.verifier = std::make_shared<BrewVerifier>();
    config.prober = std::make_shared<BrewProber>();
    config.spineCopy = std::make_shared<const SpineCopy>(brewSpineCopy());
    return config;
}

ProductConfig ProductConfig::homebrewEdition() {
    static const ProductConfig edition = makeHomebrewEdition();
    return edition;
}

} // namespace qlan
