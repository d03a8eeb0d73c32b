#pragma once
// A catalogue of the stages an edition knows. Editions store one; the guided setup does not consult it.

#include "catalog/SetupWorkflow.h"
#include "platform/SystemProfile.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace qlan {

class StageCatalogProviding {
public:
    virtual ~StageCatalogProviding() = default;

    // The stage of one domain for this Mac; absent for a domain the catalogue does not hold.
    virtual std::optional<BasicSetupStage> stage(const QString& domainID, const SystemProfile& profile,
                                                 const SetupProbeBundle& probes) const = 0;
    // The domain ids the catalogue holds, by placement, in order.
    virtual QStringList primaryDomainIDs() const = 0;
    virtual QStringList offerDomainIDs() const = 0;
    virtual QStringList optionalDomainIDs() const = 0;
};

} // namespace qlan
