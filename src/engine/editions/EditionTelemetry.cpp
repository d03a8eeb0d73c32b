#include "editions/EditionTelemetry.h"

#include "editions/ProductConfig.h"

namespace qlan {

TelemetryService::Configuration editionTelemetryConfiguration(const AppServices& services,
                                                              const QUrl& endpoint, const QString& anonKey) {
    const ProductConfig edition = ProductConfig::current();
    return TelemetryService::Configuration::make(
        {edition.appID, edition.appSupportDirName, edition.userDefaultsPrefix}, services, endpoint, anonKey);
}

void useCurrentEditionForSharedTelemetry() {
    TelemetryService::setSharedConfiguration([] { return editionTelemetryConfiguration(); });
}

} // namespace qlan
