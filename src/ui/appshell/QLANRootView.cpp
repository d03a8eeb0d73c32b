#include "ui/appshell/QLANRootView.h"

#include "editions/ProductConfig.h"
#include "platform/LiveKeyValueStore.h"
#include "platform/ServiceContext.h"
#include "platform/SystemProfiler.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"
#include "ui/appshell/ConsentView.h"
#include "ui/appshell/WelcomeView.h"
#include "ui/audit/NextStepView.h"
#include "ui/audit/OfferViews.h"
#include "ui/audit/StagedAuditFlow.h"
#include "ui/diagnose/DiagnoseView.h"
#include "ui/scaffold/NavigationStackView.h"
#include "ui/setup/SetupWorkflowView.h"
#include "ui/widgets/KeyboardFocus.h"

#include <QVBoxLayout>

namespace qlan {

QLANRootView::QLANRootView(QWidget* parent)
    : QLANRootView(AppServices::live(), TelemetryService::shared(), parent) {}

QLANRootView::QLANRootView(const AppServices& services, TelemetryService& telemetry, QWidget* parent)
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
        retireScreen(layout(), consent_); // its button's click is still being handled
        consent_ = nullptr;
    }
    showNavigationStack();
}

void QLANRootView::showNavigationStack() {
    stack_ = new NavigationStackView(navigation_, new WelcomeView(ProductConfig::current(), telemetry_),
                                     [this](const Screen& screen) { return destination(screen); });
    connect(stack_, &NavigationStackView::firstShown, this, [this] {
        launchAfterPaint_ = true;
        update();
    });
    layout()->addWidget(stack_);
}

QWidget* QLANRootView::destination(const Screen& screen) const {
    // The edition the screen runs, handed down when the screen is made.
    const ProductConfig edition = ProductConfig::current();
    switch (screen.kind()) {
    case Screen::Kind::diagnose:
        return new DiagnoseView(services_, edition, telemetry_);
    case Screen::Kind::setupWorkflow:
        return new SetupWorkflowView(services_, edition, telemetry_);
    case Screen::Kind::audit: {
        StagedAuditFlowModel::Environment environment;
        environment.navigation = navigation_;
        environment.fallbackProfile = profile_;
        environment.services = services_;
        return new StagedAuditFlow(*screen.auditContext(), std::move(environment),
                                   AuditScreenSeams(telemetry_));
    }
    case Screen::Kind::nextStep:
        if (const auto& prompt = edition.nextStepPrompt)
            return new NextStepView(*prompt, navigation_, telemetry_);
        return new QWidget;
    case Screen::Kind::contentOffer:
        return new ContentOfferView(screen.offerID(), navigation_, telemetry_);
    case Screen::Kind::guidedHelpOffer:
        return new GuidedHelpOfferView(navigation_, telemetry_);
    case Screen::Kind::aiCodingOffer:
        return new AICodingInterestView(navigation_, telemetry_);
    }
    return new QWidget;
}

void QLANRootView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!launchAfterPaint_) return;
    launchAfterPaint_ = false;
    // Queued: runs once this frame has been drawn and handed to the screen.
    QMetaObject::invokeMethod(this, &QLANRootView::loadProfileAndLaunch, Qt::QueuedConnection);
}

bool QLANRootView::focusNextPrevChild(bool next) {
    // A control that goes away leaves the focus with the window, never on its way to the next one.
    return holdFocusOfGoneControl(this) || QWidget::focusNextPrevChild(next);
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
    telemetry_.track(appLaunchedEvent(profile_));
}

} // namespace qlan
