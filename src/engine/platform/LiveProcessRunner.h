#pragma once
// Child processes of this machine, started with posix_spawn.

#include "platform/ProcessRunning.h"

namespace qlan {

class LiveProcessRunner : public ProcessRunning {
public:
    ProcessResult run(const QString& executable, const QStringList& arguments,
                      const std::optional<Environment>& environment = std::nullopt) override;
    std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<Environment>& environment = std::nullopt) override;
};

} // namespace qlan
