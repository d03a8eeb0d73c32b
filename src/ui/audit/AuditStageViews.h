#pragma once
// The screen of an audit stage: the foundations screen with the stage's own profile refresh, or the
// terminal screen (which is not told the stage's follow-up context). Either draws a profile of the Mac and
// is brought up to date in place when a fresh one comes, so that a person on it keeps their place.

#include "audit/AuditStage.h"
#include "ui/audit/AuditScreenSeams.h"

#include <QWidget>

#include <functional>

namespace qlan {

class AuditStageModel;

class AuditStageView : public QWidget {
    Q_OBJECT
public:
    AuditStageModel* model() const { return model_; }
    // Draws `profile` in place of the one drawn: what stays the same is left standing as it is (a control
    // keeps the focus, a sheet stays open), and only what the new profile changes is added or taken away.
    virtual void showProfile(const SystemProfile& profile) = 0;

protected:
    using QWidget::QWidget;

    AuditStageModel* model_ = nullptr;
};

AuditStageView* makeStageView(const AuditStage& stage, const SystemProfile& profile,
                              std::function<void()> onAdvance, const AuditScreenSeams& seams,
                              QWidget* parent = nullptr);

} // namespace qlan
