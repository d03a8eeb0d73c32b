#include "editions/ProductConfig.h"

#include "editions/BrandConstants.h"

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

// Read on job threads, also while the process ends: never destroyed. A read copies the record under the
// lock, so a record that setCurrent replaces goes only once no copy of it is left.
struct CurrentSlot {
    QMutex mutex;
    std::optional<ProductConfig> config;
};

CurrentSlot& currentSlot() {
    static CurrentSlot* const slot = new CurrentSlot;
    return *slot;
}

} // namespace

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
