#include "ui/appshell/QLANRootView.h"

#include "editions/ProductConfig.h"
#include "platform/LiveKeyValueStore.h"
#include "platform/ServiceContext.h"
#include "platform/SystemProfiler.h"
#include "telemetry/TelemetryService.h"
#include "ui/appshell/ConsentView.h"
#include "ui/appshell/NavigationStackView.h"
#include "ui/appshell/PlaceholderView.h"
#include "ui/appshell/WelcomeView.h"
#include "ui/setup/SetupWorkflowView.h"

#include <QVBoxLayout>

namespace qlan {

QLANRootView::QLANRootView(QWidget* parent)
    : QLANRootView(AppServices::live(), nullptr, parent) {}

QLANRootView::QLANRootView(const AppServices& services, TelemetryService* telemetry, QWidget* parent)
    : QWidget(parent)
    , navigation_(new AppNavigation(this))
    , services_(services)
    , telemetry_(telemetry) {
    hasConsented_ = LiveKeyValueStore().boolValue(ConsentView::consentKey());

    ServiceContext::setServices(this, services_);
    ServiceContext::setSystemProfile(this, profile_);
    setMinimumSize(minimumContentWidth, minimumContentHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (hasConsented_) {
        showNavigationStack();
    } else {
        consent_ = new ConsentView([this] { acceptConsent(); }, telemetry_);
        layout->addWidget(consent_);
    }
}

QLANRootView::~QLANRootView() {
    probe_.request_stop();
}

void QLANRootView::acceptConsent() {
    if (hasConsented_) return;
    hasConsented_ = true;
    if (consent_) {
        layout()->removeWidget(consent_);
        consent_->hide();
        consent_->deleteLater(); // its button's click is still being handled
        consent_ = nullptr;
    }
    showNavigationStack();
}

void QLANRootView::showNavigationStack() {
    stack_ = new NavigationStackView(navigation_, new WelcomeView,
                                     [this](const Screen& screen) { return destination(screen); });
    connect(stack_, &NavigationStackView::firstShown, this, &QLANRootView::loadProfileAndLaunch);
    layout()->addWidget(stack_);
}

QWidget* QLANRootView::destination(const Screen& screen) const {
    switch (screen.kind()) {
    case Screen::Kind::diagnose:
        return new PlaceholderView(QStringLiteral("DiagnoseView"));
    case Screen::Kind::setupWorkflow:
        return new SetupWorkflowView(telemetry_);
    case Screen::Kind::audit:
        return new PlaceholderView(QStringLiteral("StagedAuditFlow"), {}, *screen.auditContext());
    case Screen::Kind::nextStep:
        if (ProductConfig::current().nextStepPrompt)
            return new PlaceholderView(QStringLiteral("NextStepView"));
        return new QWidget;
    case Screen::Kind::contentOffer:
        return new PlaceholderView(QStringLiteral("ContentOfferView"), screen.offerID());
    case Screen::Kind::guidedHelpOffer:
        return new PlaceholderView(QStringLiteral("GuidedHelpOfferView"), QStringLiteral("guided_help_plan"));
    case Screen::Kind::aiCodingOffer:
        return new PlaceholderView(QStringLiteral("AICodingInterestView"), QStringLiteral("ai_coding_setup"));
    }
    return new QWidget;
}

void QLANRootView::loadProfileAndLaunch() {
    if (!profile_ && !services_.isFixtureMode) {
        probe_ =
            SystemProfiler::fromServices(services_).profileInBackground(this, [this](SystemProfile profile) {
                profile_ = std::move(profile);
                ServiceContext::setSystemProfile(this, profile_);
                sendLaunchEvent();
            });
        return;
    }
    sendLaunchEvent();
}

void QLANRootView::sendLaunchEvent() {
    if (profile_) {
        const TelemetryEvent event = TelemetryService::appLaunchedEvent(*profile_);
        telemetry().track(event.name, event.properties);
    } else {
        telemetry().track(QStringLiteral("app_launched"), {});
    }
}

TelemetryService& QLANRootView::telemetry() const {
    return telemetry_ ? *telemetry_ : TelemetryService::shared();
}

} // namespace qlan
