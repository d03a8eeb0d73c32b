#pragma once
// The pages of the guided setup's steps (the loading page and the outcome and feedback frames are the
// screen's own): the diagnosis summary, the readiness warnings, the interstitial, the verifying page,
// the keep-going gate and the stage screen, and the contents of the outcome and feedback frames. Each
// has the shape of a SetupPageFactory. A button acts only while the model still shows the page's step,
// and a button that starts work or leaves the flow acts once.

#include "ui/setup/SetupStepPages.h"

class QWidget;

namespace qlan {

QWidget* makeDiagnosisSummaryPage(const SetupPageContext& context);
QWidget* makeReadinessWarningPage(const SetupPageContext& context);
QWidget* makeInterstitialPage(const SetupPageContext& context);
QWidget* makeVerifyingPage(const SetupPageContext& context);
QWidget* makeKeepGoingPage(const SetupPageContext& context);
// The stage screen; rebuilt in place whenever the model's workflow, profile or probes change.
QWidget* makeStagePage(const SetupPageContext& context);
// Inside the outcome frame; follows the model's verification result and profile.
QWidget* makeOutcomeContent(const SetupPageContext& context);
// Inside the feedback frame: the feedback card and "Done".
QWidget* makeFeedbackContent(const SetupPageContext& context);

} // namespace qlan
