#pragma once
// The state behind the audit's short completion screen: the feedback card's slot, the build-intent
// card (shown for a completion surface, with "build_intent_prompt_shown" once per screen) and the two
// ways out. Lives on the GUI thread.

#include "appshell/NavigationValues.h"
#include "audit/HostedFeedbackCard.h"

#include <functional>
#include <memory>
#include <optional>

namespace qlan {

class TelemetryService;

class SimplifiedCompletionModel {
public:
    // `host` serves the feedback card; `telemetry`, which outlives the model, the build-intent events.
    SimplifiedCompletionModel(CompletionSurface surface, std::function<void()> onSeeRecommendations,
                              std::function<void()> onDone, std::shared_ptr<NPSFeedbackHost> host,
                              TelemetryService& telemetry);

    HostedFeedbackCard& feedback() { return feedback_; }
    const HostedFeedbackCard& feedback() const { return feedback_; }
    // The surface the build-intent card shows for; none: no card.
    std::optional<BuildIntentSurface> promptSurface() const;

    // The build-intent card came on screen: the first time, "build_intent_prompt_shown".
    void promptCameOnScreen();
    // "See recommendations →": "build_intent_opted_in", then the callback; every press.
    void optIn();
    // "Done — back to home": the feedback card's leave step, then the callback.
    void done();

private:
    CompletionSurface surface_;
    std::function<void()> onSeeRecommendations_;
    std::function<void()> onDone_;
    HostedFeedbackCard feedback_;
    TelemetryService& telemetry_;
    bool didEmitBuildIntentShown_ = false;
};

} // namespace qlan
