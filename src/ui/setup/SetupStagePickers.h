#pragma once
// The sub-screens that special stages show in place of the remediation rows: the cask picker, the
// languages picker, the project actions, the skills and MCP server pickers and the Git step. The stage
// screen asks `makeSpecialStagePicker` for the one of its stage's kind; a picker requests its batch
// from the flow model. The pickers keep their ticks in the screen's picker state.

#include "catalog/SetupRemediation.h"
#include "catalog/SpineRenderPolicy.h"
#include "ui/setup/SetupStepPages.h"

#include <QList>
#include <QString>

class QWidget;

namespace qlan {

struct SetupStagePickerContext {
    SetupPageContext page;
    QString stepID;
    SpineRenderPolicy::SpecialStageKind kind;
    QList<SetupRemediation> remediations; // the stage's offered fixes, in list order
    // The picker that the new one takes the place of, on the stage built anew after a batch (none on the
    // stage's first show): a picker that read the Mac carries over what it read.
    const QWidget* replaced = nullptr;
};

// The sub-screen of the context's kind, for a page of the screen (never the grouped install: the stage
// screen draws that itself).
QWidget* makeSpecialStagePicker(const SetupStagePickerContext& context);

} // namespace qlan
