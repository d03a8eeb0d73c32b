#pragma once
// The page the guided setup's screen shows for each kind of step. A page is built from the context
// below (the screen, its model and its services) whenever the step changes; the table in
// SetupStepPages.cpp holds one line per kind of step.

#include "platform/AppServices.h"
#include "platform/SystemProfile.h"
#include "setup/SetupFlowModel.h"

#include <QWidget>

#include <optional>

namespace qlan {

class SetupWorkflowView;
class TelemetryService;

// What a page gets: the screen (its actions: setStep, stageArticleURL, the pickers' selections), the
// flow model, and the services and profile of the screen's environment. A stage page need not report
// that it appeared: the screen does that for every stage page it builds.
struct SetupPageContext {
    SetupWorkflowView* host = nullptr;
    SetupFlowModel* model = nullptr;
    AppServices services;
    std::optional<SystemProfile> fallbackProfile;
    TelemetryService& telemetry;
};

using SetupPageFactory = QWidget* (*)(const SetupPageContext& context);

// The factory of a kind of step.
SetupPageFactory setupPageFactory(SetupFlowModel::Step::Kind kind);
// The page of the model's current step.
QWidget* makeSetupStepPage(const SetupPageContext& context);

} // namespace qlan
