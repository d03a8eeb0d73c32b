#include "audit/NextStepModel.h"

#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

namespace qlan {

NextStepModel::NextStepModel(NextStepPrompt prompt, QPointer<AppNavigation> navigation,
                             TelemetryService& telemetry)
    : prompt_(std::move(prompt))
    , navigation_(std::move(navigation))
    , telemetry_(telemetry) {}

void NextStepModel::continueOn() {
    if (!selectedKey_ || leaving_ || !navigation_) return;
    const auto option = std::find_if(prompt_.options.cbegin(), prompt_.options.cend(),
                                     [&](const NextStepOption& o) { return o.key == *selectedKey_; });
    if (option == prompt_.options.cend()) return;
    leaving_ = true;
    const std::optional<QString> goal = navigation_->selectedGoal();
    navigation_->setSelectedNextStep(*selectedKey_);
    const TelemetryEvent event =
        nextStepSelectedEvent(option->key, toText(option->outcome), goal, prompt_.surface);
    telemetry_.track(event);
    navigation_->push(screenFor(*option, goal));
}

Screen NextStepModel::screenFor(const NextStepOption& option, const std::optional<QString>& goal) {
    const OfferRoute& route = option.offer;
    switch (route.kind()) {
    case OfferRoute::Kind::content:
        return Screen::contentOffer(route.offerID());
    case OfferRoute::Kind::guidedHelpWTP:
        return Screen::guidedHelpOffer();
    case OfferRoute::Kind::aiCodingInterest:
        return Screen::aiCodingOffer();
    case OfferRoute::Kind::audit:
        break;
    }
    return Screen::audit(AuditContext{entryFor(option.key), CompletionSurface::excluded(),
                                      QLANAuditContext{option.key, goal, route.then()}});
}

AuditEntry NextStepModel::entryFor(const QString& key) {
    if (key == QStringLiteral("course")) return AuditEntry::nextStepCourse;
    if (key == QStringLiteral("build_software")) return AuditEntry::nextStepBuildSoftware;
    return AuditEntry::nextStepNotSure;
}

} // namespace qlan
