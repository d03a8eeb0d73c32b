#pragma once
// An edition's layout of the guided setup: the ordered stages built from the profile and the probe
// facts, and the fixes to run for one domain.

#include "catalog/SetupRemediation.h"
#include "catalog/SetupWorkflow.h"
#include "platform/SystemProfile.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace qlan {

// A selection of domains handed to `makeSpine`. The flow always passes `emptySpineSelection()`, and no
// provider reads it.
struct SpineSelection {
    QSet<QString> domainIDs;
    std::optional<bool> flag;
    friend bool operator==(const SpineSelection&, const SpineSelection&) = default;
};

// The shared empty selection (no domains, no flag), built once.
const SpineSelection& emptySpineSelection();

class SpineProvider {
public:
    virtual ~SpineProvider() = default;

    // The workflow. A provider given a `focusDomainID` returns none; the flow then builds the default
    // developer-environment stages.
    virtual std::optional<SetupWorkflow> makeSpine(const std::optional<QString>& focusDomainID,
                                                   const SystemProfile& profile,
                                                   const SetupProbeBundle& probes,
                                                   const SpineSelection& selection) const = 0;

    // The fixes to run for one domain, in order; empty when it needs none.
    virtual QList<SetupRemediation> remediations(const QString& domainID, const SystemProfile& profile,
                                                 const SetupProbeBundle& probes) const = 0;
};

} // namespace qlan
