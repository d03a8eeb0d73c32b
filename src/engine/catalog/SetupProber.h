#pragma once
// An edition's prober: gathers the facts the guided setup's stages need.

#include "catalog/SetupWorkflow.h"
#include "platform/FileSystemOperating.h"
#include "platform/ProcessRunning.h"

#include <memory>

namespace qlan {

class SetupProber {
public:
    virtual ~SetupProber() = default;

    // Blocks until every check has finished: call it from a worker thread, never the GUI thread.
    // Never throws; a check that cannot run gives the value for nothing found.
    virtual SetupProbeBundle probe(const std::shared_ptr<ProcessRunning>& processRunner,
                                   const std::shared_ptr<FileSystemOperating>& fs) const = 0;
};

} // namespace qlan
