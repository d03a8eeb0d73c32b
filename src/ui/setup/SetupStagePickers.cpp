#include "ui/setup/SetupStagePickers.h"

#include "catalog/LanguageDetector.h"
#include "setup/SetupStagePlan.h"
#include "setup/SetupWorkflowCopy.h"
#include "ui/setup/SetupPickers.h"
#include "ui/setup/SetupWorkflowView.h"

namespace qlan {
namespace {

// The picker of one kind, drawn from the screen's shared picker state.
struct PickerMaker {
    const SetupStagePickerContext& context;
    SetupPickerState* state;
    SetupFlowModel* model;

    QWidget* operator()(const SpineRenderPolicy::GroupedInstall&) const { return nullptr; }
    QWidget* operator()(const SpineRenderPolicy::CaskMultiselect& kind) const {
        return new CasksPicker(state, model, context.stepID, kind, context.remediations);
    }
    QWidget* operator()(const SpineRenderPolicy::LanguagesMultiselect&) const {
        return new LanguagesPicker(state, model, LanguageDetector{model->services().fs});
    }
    QWidget* operator()(const SpineRenderPolicy::ProjectActions&) const {
        const QString prompt = SetupWorkflowCopy::spineCopy(model->config()).projectFolderPrompt;
        return new ProjectActions(state, model, SetupStagePlan::projectTemplates(context.remediations),
                                  prompt);
    }
    QWidget* operator()(const SpineRenderPolicy::SkillsMultiselect&) const {
        return new SkillsPicker(state, model, model->profile(), model->services().fs,
                                qobject_cast<const SkillsPicker*>(context.replaced));
    }
    QWidget* operator()(const SpineRenderPolicy::McpMultiselect&) const {
        return new MCPPicker(state, model, model->services().fs,
                             qobject_cast<const MCPPicker*>(context.replaced));
    }
    QWidget* operator()(const SpineRenderPolicy::GitActions&) const {
        return new GitSetupForm(state, model, model->probes().value_or(SetupProbeBundle{}));
    }
};

} // namespace

QWidget* makeSpecialStagePicker(const SetupStagePickerContext& context) {
    QWidget* picker =
        std::visit(PickerMaker{context, &context.page.host->pickerState(), context.page.model}, context.kind);
    picker->setObjectName(QStringLiteral("setup-stage-picker"));
    return picker;
}

} // namespace qlan
