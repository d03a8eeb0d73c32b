#pragma once
// The content of the window: the one-time consent screen, then a navigation stack over the window's
// AppNavigation with the welcome screen at its root and one destination per pushed Screen. It places
// the navigation model (as its child), the services and the probed profile in the environment of every
// screen below it (AppNavigation::nearest, ServiceContext).

#include "appshell/AppNavigation.h"
#include "platform/AppServices.h"
#include "platform/SystemProfile.h"

#include <QWidget>

#include <optional>
#include <stop_token>

namespace qlan {

class ConsentView;
class NavigationStackView;
class TelemetryService;

class QLANRootView : public QWidget {
    Q_OBJECT
public:
    static constexpr int minimumContentWidth = 720;
    static constexpr int minimumContentHeight = 700;

    // The live services and the shared telemetry service.
    explicit QLANRootView(QWidget* parent = nullptr);
    // Other services (a test's sandbox) and another telemetry service, which outlives the view.
    QLANRootView(const AppServices& services, TelemetryService& telemetry, QWidget* parent = nullptr);
    ~QLANRootView() override;

    AppNavigation* navigation() const { return navigation_; }
    const std::optional<SystemProfile>& profile() const { return profile_; }
    bool hasConsented() const { return hasConsented_; }
    const AppServices& services() const { return services_; }

    // Exactly one of the two is present.
    ConsentView* consentView() const { return consent_; }
    NavigationStackView* navigationStack() const { return stack_; }

    // The router: the page shown for a pushed screen.
    QWidget* destination(const Screen& screen) const;
    // The consent screen's continue action: shows the navigation stack.
    void acceptConsent();
    // The start-up task: probes the Mac off the GUI thread when no profile is held and fixture mode is
    // off, stores the profile, then sends "app_launched". Runs once the navigation stack has been shown
    // and drawn, so that its threads and child processes never hold up the first frame.
    void loadProfileAndLaunch();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void showNavigationStack();
    void sendLaunchEvent();

    AppNavigation* navigation_;
    std::optional<SystemProfile> profile_;
    bool hasConsented_ = false;
    AppServices services_;
    TelemetryService& telemetry_;
    ConsentView* consent_ = nullptr;
    NavigationStackView* stack_ = nullptr;
    std::stop_source probe_;
    bool launchAfterPaint_ = false;
};

} // namespace qlan
