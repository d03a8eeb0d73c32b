#include "audit/OfferScreenModel.h"

#include "editions/ProductConfig.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

namespace qlan {

OfferScreenModel::OfferScreenModel(Kind kind, const QString& offerID, Environment environment,
                                   TelemetryService& telemetry)
    : kind_(kind)
    , offerID_(kind == Kind::guidedHelp ? guidedHelpOfferID
               : kind == Kind::aiCoding ? aiCodingOfferID
                                        : offerID)
    , env_(std::move(environment))
    , telemetry_(telemetry) {}

std::optional<OfferSpec> OfferScreenModel::offer() const {
    const QMap<QString, OfferSpec> catalog = ProductConfig::current().offerCatalog;
    const auto found = catalog.constFind(offerID_);
    if (found == catalog.cend()) return std::nullopt;
    return *found;
}

QString OfferScreenModel::title() const {
    if (const auto entry = offer()) return entry->title;
    switch (kind_) {
    case Kind::content:
        return QStringLiteral("You're all set");
    case Kind::guidedHelp:
        return QStringLiteral("Still stuck?");
    case Kind::aiCoding:
        return QStringLiteral("Build with AI?");
    }
    return {};
}

QString OfferScreenModel::explanation() const {
    if (const auto entry = offer()) return entry->body;
    switch (kind_) {
    case Kind::content:
        return QStringLiteral("Java is set up and verified.");
    case Kind::guidedHelp:
        return QStringLiteral("We can help.");
    case Kind::aiCoding:
        return QStringLiteral("We can help you set that up.");
    }
    return {};
}

bool OfferScreenModel::showsPrimary() const {
    if (kind_ == Kind::guidedHelp) return !showedUnavailable_;
    const auto entry = offer();
    return entry && entry->destination;
}

QString OfferScreenModel::primaryLabel() const {
    if (const auto entry = offer()) return entry->actionLabel;
    return kind_ == Kind::guidedHelp ? QStringLiteral("Get my setup plan ($2)") : QString();
}

QString OfferScreenModel::secondaryLabel() const {
    return kind_ == Kind::content ? QStringLiteral("Done — back to home") : QStringLiteral("No thanks");
}

QString OfferScreenModel::unavailableNotice() {
    return QStringLiteral(
        "Thanks — this isn't available yet. We're seeing how many people want it. You haven't "
        "been charged, and we didn't collect any personal details.");
}

void OfferScreenModel::cameOnScreen() {
    if (didEmitShown_) return;
    const auto entry = offer();
    if (!entry) return;
    didEmitShown_ = true;
    const std::optional<QString> nextStep =
        env_.navigation ? env_.navigation->selectedNextStep() : std::nullopt;
    const std::optional<QString> goal = env_.navigation ? env_.navigation->selectedGoal() : std::nullopt;
    telemetry_.track(offerShownEvent(offerID_, entry->surface, entry->eligibilityReason, nextStep, goal));
}

void OfferScreenModel::primary(const std::optional<QUrl>& destination) {
    if (kind_ == Kind::guidedHelp) {
        if (showedUnavailable_) return;
        recordAction(QStringLiteral("selected"), QStringLiteral("interest_no_fulfillment"));
        showedUnavailable_ = true;
        return;
    }
    recordAction(QStringLiteral("selected"),
                 kind_ == Kind::aiCoding ? std::optional<QString>(QStringLiteral("interest")) : std::nullopt);
    if (destination && isWebAddress(*destination) && env_.openURL) env_.openURL(*destination);
    goHome();
}

void OfferScreenModel::dismiss() {
    recordAction(QStringLiteral("dismissed"), std::nullopt);
    goHome();
}

void OfferScreenModel::goHome() {
    if (env_.navigation) env_.navigation->setPath({});
}

bool OfferScreenModel::isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QStringLiteral("http") || scheme == QStringLiteral("https")) &&
           !url.host().isEmpty();
}

void OfferScreenModel::recordAction(const QString& action, const std::optional<QString>& result) {
    const auto entry = offer();
    if (!entry) return;
    const std::optional<QString> nextStep =
        env_.navigation ? env_.navigation->selectedNextStep() : std::nullopt;
    telemetry_.track(offerActionEvent(offerID_, entry->surface, action, result, nextStep));
}

} // namespace qlan
