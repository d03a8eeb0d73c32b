#include "catalog/ProductConfig.h"

#include "catalog/BrandConstants.h"
#include "catalog/VendorHosts.h"

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
    QUrl url = constantURL(QStringLiteral("https://") + VendorHosts::terminalVendor +
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
