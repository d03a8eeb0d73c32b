#pragma once
// An edition's final check of the guided setup.

#include "catalog/SetupWorkflow.h"
#include "platform/FileSystemOperating.h"
#include "platform/ProcessRunning.h"
#include "platform/SystemProfile.h"

#include <memory>
#include <optional>

namespace qlan {

class SetupVerifier {
public:
    virtual ~SetupVerifier() = default;

    // Blocks until the check has finished: call it from a worker thread, never the GUI thread. `profile`
    // is the flow's current profile, absent when none was probed. Never throws.
    virtual SetupVerificationResult verify(const std::optional<SystemProfile>& profile,
                                           const std::shared_ptr<ProcessRunning>& processRunner,
                                           const std::shared_ptr<FileSystemOperating>& fs) const = 0;
};

} // namespace qlan
