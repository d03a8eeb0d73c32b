#include "editions/ProductConfig.h"

#include "editions/BrandConstants.h"
#include "editions/brew/BrewProber.h"
#include "editions/brew/BrewSpineCopy.h"
#include "editions/brew/BrewSpineProvider.h"
#include "editions/brew/BrewVerifier.h"
#include "editions/claude/ClaudeSetupProber.h"
#include "editions/claude/ClaudeSetupVerifier.h"
#include "editions/claude/ClaudeSpineCopyProvider.h"
#include "editions/claude/ClaudeSpineProvider.h"
#include "editions/claude/ClaudeStageCatalog.h"

#include <QMutex>
#include <QUrlQuery>

namespace qlan {
namespace {

// Every constant link is a valid absolute URL; anything else is a programming error.
QUrl constantURL(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative()) qFatal("Invalid constant URL: %s", qPrintable(text));
    return url;
}

struct CurrentSlot {
    QMutex mutex;
    std::optional<ProductConfig> config;
};

CurrentSlot& currentSlot() {
    static CurrentSlot slot;
    return slot;
}

} // namespace

QString toText(SetupFlow flow) {
    switch (flow) {
    case SetupFlow::diagnose:
        return QStringLiteral("diagnose");
    case SetupFlow::setupWorkflow:
        return QStringLiteral("setupWorkflow");
    }
    return {};
}

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

QUrl ProductURLs::guideSiteRoot() {
    return constantURL(QStringLiteral("https://") + brand::guideSiteHost);
}

QUrl ProductURLs::guidePage(const QString& path) {
    return constantURL(QStringLiteral("https://") + brand::guideSiteHost + path);
}

QUrl ProductURLs::warpAffiliatePage(const QString& content) {
    QUrl url = constantURL(QStringLiteral("https://") + QString::fromLatin1(brand::terminalVendorHost) +
                           QStringLiteral("/mac-terminal"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("utm_source"), QStringLiteral("pellinor"));
    query.addQueryItem(QStringLiteral("utm_medium"), QStringLiteral("app"));
    query.addQueryItem(QStringLiteral("utm_campaign"), QStringLiteral("pellinor_20260516"));
    query.addQueryItem(QStringLiteral("utm_content"), content);
    url.setQuery(query);
    return url;
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
    static const ProductConfig edition = makeJavaEdition();
    return edition;
}

namespace {

// The privacy bullets both guided-setup editions start with.
QStringList setupEditionPrivacyBullets() {
    return {
        QStringLiteral("The app never identifies you and never records your IP address."),
        QStringLiteral("No passwords or file contents are ever recorded."),
        QStringLiteral("Usage events are anonymous."),
        QStringLiteral("A random session ID is created for anonymous usage counts."),
    };
}

// The links of a guided-setup edition under the guide website.
ProductURLs setupEditionURLs(const char* installMethods, const char* troubleshooting, const char* envConfig,
                             const char* warpContent) {
    return ProductURLs{
        ProductURLs::guideSiteRoot(),
        ProductURLs::guidePage(QStringLiteral("/quillane/privacy")),
        ProductURLs::guidePage(QString::fromLatin1(installMethods)),
        ProductURLs::guidePage(QString::fromLatin1(troubleshooting)),
        ProductURLs::guidePage(QString::fromLatin1(envConfig)),
        ProductURLs::guidePage(QStringLiteral("/commandlinetools")),
        ProductURLs::guidePage(QStringLiteral("/macos/upgrade")),
        ProductURLs::warpAffiliatePage(QString::fromLatin1(warpContent)),
    };
}

} // namespace

ProductConfig ProductConfig::makeHomebrewEdition() {
    ProductConfig config;
    config.appID = QStringLiteral("qlan-brew");
    config.displayName = QStringLiteral("Quillane with Homebrew");
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
    config.urls = setupEditionURLs("/homebrew", "/homebrew", "/homebrew", "qlan_brew");
    config.consent = ConsentCopy{
        QStringLiteral("What this app does"),
        {
            QStringLiteral("Checks whether Homebrew and the tools it needs are set up."),
            QStringLiteral("Installs Homebrew and Apple's Command Line Tools, if you wish."),
            QStringLiteral("Asks for your permission before installing or changing anything."),
        },
        QStringLiteral("Your privacy and Mac integrity are respected"),
        setupEditionPrivacyBullets(),
    };
    config.diagnosisProfile = std::make_shared<InertDiagnosisProfile>();
    config.flow = SetupFlow::setupWorkflow;

    config.sharedDomainCopy = SharedDomainCopy::standard();
    config.spinePolicy = SpineRenderPolicy::homebrewEdition();
    config.spineProvider = std::make_shared<BrewSpineProvider>();
    config.verifier = std::make_shared<BrewVerifier>();
    config.prober = std::make_shared<BrewProber>();
    config.spineCopy = std::make_shared<BrewSpineCopy>();
    config.stageCatalog = std::make_shared<ClaudeStageCatalog>();
    return config;
}

ProductConfig ProductConfig::homebrewEdition() {
    static const ProductConfig edition = makeHomebrewEdition();
    return edition;
}

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
    config.urls = setupEditionURLs("/claude-code/install", "/claude-code", "/claude-code", "qlan_claude");
    QStringList privacy = setupEditionPrivacyBullets();
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
    config.spineCopy = std::make_shared<ClaudeSpineCopyProvider>();
    config.stageCatalog = std::make_shared<ClaudeStageCatalog>();
    return config;
}

ProductConfig ProductConfig::claudeEdition() {
    static const ProductConfig edition = makeClaudeEdition();
    return edition;
}

ProductConfig ProductConfig::current() {
    CurrentSlot& slot = currentSlot();
    QMutexLocker lock(&slot.mutex);
    if (!slot.config) slot.config = javaEdition();
    return *slot.config;
}

void ProductConfig::setCurrent(const ProductConfig& config) {
    CurrentSlot& slot = currentSlot();
    QMutexLocker lock(&slot.mutex);
    slot.config = config;
}

} // namespace qlan
