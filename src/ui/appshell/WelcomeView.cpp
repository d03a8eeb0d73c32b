#include "ui/appshell/WelcomeView.h"

#include "appshell/AppNavigation.h"
#include "editions/ProductConfig.h"
#include "ui/audit/GoalPromptView.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/ProminentButton.h"

#include <QVBoxLayout>

namespace qlan {

WelcomeView::WelcomeView(TelemetryService& telemetry, QWidget* parent)
    : QWidget(parent) {
    const ProductConfig config = ProductConfig::current();

    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    if (config.goalPrompt) {
        goalPrompt_ = new GoalPromptView(
            *config.goalPrompt, [this](const QString& key) { goalChosen(key); }, telemetry);
        contentLayout->addWidget(goalPrompt_);
    } else {
        auto* button = new ProminentButton(config.copy.primaryCTA);
        setAccessibilityIdentifier(button, QStringLiteral("welcome-diagnose-button"));
        connect(button, &QPushButton::clicked, this, &WelcomeView::start);
        contentLayout->addWidget(button, 0, Qt::AlignLeading);
    }

    scaffold_ = new ScreenScaffold(config.copy.welcomeHeadline.value_or(config.displayName),
                                   config.copy.welcomeExplainer, content);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scaffold_);
}

void WelcomeView::start() {
    AppNavigation* navigation = AppNavigation::nearest(this);
    if (!navigation) return;
    navigation->push(ProductConfig::current().flow == SetupFlow::setupWorkflow ? Screen::setupWorkflow()
                                                                               : Screen::diagnose());
}

void WelcomeView::goalChosen(const QString& goal) {
    AppNavigation* navigation = AppNavigation::nearest(this);
    if (!navigation) return;
    navigation->setSelectedGoal(goal);
    navigation->push(Screen::diagnose());
}

} // namespace qlan
