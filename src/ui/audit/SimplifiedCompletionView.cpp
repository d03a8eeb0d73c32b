#include "ui/audit/SimplifiedCompletionView.h"

#include "ui/audit/AuditWidgets.h"
#include "ui/audit/BuildIntentPromptView.h"
#include "ui/audit/HostedFeedbackCardView.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/ShowHook.h"

#include <QVBoxLayout>

namespace qlan {

SimplifiedCompletionView::SimplifiedCompletionView(CompletionSurface surface,
                                                   std::function<void()> onSeeRecommendations,
                                                   std::function<void()> onDone, const AppServices& services,
                                                   const AuditScreenSeams& seams, QWidget* parent)
    : QWidget(parent)
    , model_(std::make_unique<SimplifiedCompletionModel>(surface, std::move(onSeeRecommendations),
                                                         std::move(onDone), seams.hostFor(services),
                                                         seams.telemetry)) {
    auto* content = new QWidget;
    QVBoxLayout* items = column(content, 16);
    addHostedFeedbackCard(items, model_->feedback(), this);
    if (model_->promptSurface()) {
        auto* prompt = new BuildIntentPromptView([this] { model_->optIn(); });
        onEveryShow(prompt, [this] { model_->promptCameOnScreen(); });
        items->addWidget(prompt);
    }
    done_ = new ProminentButton(QStringLiteral("Done — back to home"));
    connect(done_, &QPushButton::clicked, this, [this] { model_->done(); });
    addWithSpace(items, done_, 8);

    fillScreen(this, new ScreenScaffold(QStringLiteral("Java is working"), QStringLiteral("You're all set."),
                                        content, ScreenScaffold::Options::withoutArticleLink()));
}

} // namespace qlan
