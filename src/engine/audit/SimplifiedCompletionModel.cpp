#include "audit/SimplifiedCompletionModel.h"

#include "appshell/NavigationEvents.h"
#include "telemetry/TelemetryService.h"

namespace qlan {

SimplifiedCompletionModel::SimplifiedCompletionModel(CompletionSurface surface,
                                                     std::function<void()> onSeeRecommendations,
                                                     std::function<void()> onDone,
                                                     std::shared_ptr<NPSFeedbackHost> host,
                                                     TelemetryService& telemetry)
    : surface_(surface)
    , onSeeRecommendations_(std::move(onSeeRecommendations))
    , onDone_(std::move(onDone))
    , feedback_(std::move(host))
    , telemetry_(telemetry) {}

std::optional<BuildIntentSurface> SimplifiedCompletionModel::promptSurface() const {
    if (surface_.kind == CompletionSurface::Kind::excluded) return std::nullopt;
    return surface_.surface;
}

void SimplifiedCompletionModel::promptCameOnScreen() {
    const auto surface = promptSurface();
    if (!surface || didEmitBuildIntentShown_) return;
    didEmitBuildIntentShown_ = true;
    telemetry_.track(buildIntentPromptShownEvent(*surface));
}

void SimplifiedCompletionModel::optIn() {
    const auto surface = promptSurface();
    if (!surface) return;
    telemetry_.track(buildIntentOptedInEvent(*surface));
    if (onSeeRecommendations_) onSeeRecommendations_();
}

void SimplifiedCompletionModel::done() {
    feedback_.leave();
    if (onDone_) onDone_();
}

} // namespace qlan
