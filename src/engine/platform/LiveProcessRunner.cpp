#include "platform/LiveProcessRunner.h"

#include "platform/PlatformError.h"

namespace qlan {

ProcessResult LiveProcessRunner::run(const QString& executable, const QStringList&, const std::optional<Environment>&) {
    throw PlatformError(QStringLiteral("Couldn't start %1").arg(executable));
}

std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
LiveProcessRunner::stream(const QString& executable, const QStringList&, const std::optional<Environment>&) {
    auto [stream, continuation] = Stream<ProcessStreamEvent>::make();
    continuation.yield(ProcessStreamEvent::failedToStart(QStringLiteral("Couldn't start %1").arg(executable)));
    continuation.finish();
    return {std::move(stream), nullptr};
}

} // namespace qlan
