#include "ui/setup/SetupStepPages.h"

#include "editions/ProductConfig.h"
#include "setup/SetupWorkflowCopy.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/setup/SetupFlowPages.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/TextLabel.h"

#include <QVBoxLayout>

namespace qlan {

namespace {

using Kind = SetupFlowModel::Step::Kind;

// The loading step: a large indeterminate progress indicator filling the window, no text.
QWidget* loadingPage(const SetupPageContext&) {
    QWidget* page = centredActivityPage(ControlSize::large);
    page->setObjectName(QStringLiteral("setup-loading"));
    return page;
}

// A page framed by the common scaffold, both accessibility identifiers absent.
QWidget* framed(const SetupWorkflowCopy::Frame& frame, QWidget* content, const QString& name) {
    ScreenScaffold::Options options;
    options.articleURL = frame.articleURL;
    auto* page = new ScreenScaffold(frame.title, frame.explainer, content, options);
    page->setObjectName(name);
    return page;
}

// The outcome frame around the outcome question.
QWidget* outcomePage(const SetupPageContext& context) {
    const auto& result = context.model->verifyResult();
    return framed(SetupWorkflowCopy::outcomeFrame(ProductConfig::current(), result),
                  makeOutcomeContent(context), QStringLiteral("setup-outcome"));
}

// The feedback frame around the feedback card.
QWidget* feedbackPage(const SetupPageContext& context) {
    return framed(SetupWorkflowCopy::feedbackFrame(ProductConfig::current()), makeFeedbackContent(context),
                  QStringLiteral("setup-nps"));
}

} // namespace

// clang-format off
SetupPageFactory setupPageFactory(Kind kind) {
    switch (kind) {
    case Kind::readinessWarning:
        return makeReadinessWarningPage;
    case Kind::stage:
        return makeStagePage;
    case Kind::loading:
        return loadingPage;
    case Kind::diagnosisSummary:
        return makeDiagnosisSummaryPage;
    case Kind::interstitial:
        return makeInterstitialPage;
    case Kind::verifying:
        return makeVerifyingPage;
    case Kind::keepGoingGate:
        return makeKeepGoingPage;
    case Kind::outcome:
        return outcomePage;
    case Kind::nps:
        return feedbackPage;
    }
    return loadingPage;
}
// clang-format on

QWidget* makeSetupStepPage(const SetupPageContext& context) {
    return setupPageFactory(context.model->step().kind)(context);
}

} // namespace qlan
