#pragma once
// The diagnosis summary and the readiness warnings, decided without a widget: the summary's status
// lines and the warning's copy.

#include "editions/ProductConfig.h"
#include "platform/ReadinessScreenCopy.h"
#include "setup/SetupFlowModel.h"

#include <QStringList>

namespace qlan {

class SetupSummary {
public:
    SetupSummary() = delete;

    // One status line per primary step, in workflow order, leaving out the edition's excluded domains;
    // none without a workflow.
    static QStringList rows(const std::optional<SetupWorkflow>& workflow, const ProductConfig& edition);

    // The copy of a warning: the network copy for a network warning, the disk copy for a disk warning.
    static ReadinessScreenCopy warningCopy(const SetupFlowModel::ReadinessWarning& warning);
};

} // namespace qlan
