// The Java edition's record: the engine's own default edition, which opens the Java diagnosis. Its
// policy is the default SpineRenderPolicy.
#include "editions/BrandConstants.h"
#include "editions/ProductConfig.h"

namespace qlan {

const ConsentCopy& ConsentCopy::standard() {
    static const ConsentCopy copy{
        QStringLiteral("What this app does"),
        {
            QStringLiteral("Checks and installs Java, if you wish."),
            QStringLiteral("Performs a system check for your Mac setup."),
            QStringLiteral("Asks for your permission before installing or changing anything."),
        },
        QStringLiteral("Your privacy and Mac integrity are respected"),
        {
            QStringLiteral("The app never identifies you and never records your IP address."),
            QStringLiteral("No passwords or file contents are ever recorded."),
            QStringLiteral("Usage events are anonymous."),
            QStringLiteral("The “How did we do?” score is reported anonymously."),
            QStringLiteral("A random session ID is created for anonymous usage counts."),
        },
    };
    return copy;
}

ProductConfig ProductConfig::makeJavaEdition() {
    ProductURLs urls{
        ProductURLs::guideSiteRoot(),
        ProductURLs::guidePage(QStringLiteral("/vorrel/privacy")),
        ProductURLs::guidePage(QStringLiteral("/java/download")),
        ProductURLs::guidePage(QStringLiteral("/java/unable-to-locate")),
        ProductURLs::guidePage(QStringLiteral("/java/java-home")),
        ProductURLs::guidePage(QStringLiteral("/commandlinetools")),
        ProductURLs::guidePage(QStringLiteral("/macos/upgrade")),
        ProductURLs::warpAffiliatePage(QStringLiteral("vorrel_audit")),
    };
    ProductConfig config;
    config.appID = QStringLiteral("vrl-java");
    config.displayName = QStringLiteral("Vorrel for Java");
    config.appSupportDirName = QStringLiteral("Vorrel");
    config.userDefaultsPrefix = QString::fromLatin1(brand::javaEditionIdentifier);
    config.shellConfigMarker = QStringLiteral("Vorrel");
    config.datedShellMarker = true;
    config.cacheDirName = QStringLiteral("Vorrel");
    config.copy = ProductCopy{QStringLiteral("Diagnose and fix common Mac setup errors."),
                              QStringLiteral("Diagnose Java"), std::nullopt};
    config.urls = urls;
    config.consent = ConsentCopy::standard();
    config.diagnosisProfile = std::make_shared<JavaProfile>();
    config.flow = SetupFlow::diagnose;
    return config;
}

ProductConfig ProductConfig::javaEdition() {
    // The current record until one is set, which a job thread may read first: never destroyed.
    static const ProductConfig* const edition = new ProductConfig(makeJavaEdition());
    return *edition;
}

} // namespace qlan
