#pragma once
// The terminal stage of the audit: recommends the Warp terminal, installs it in the fix sheet (through
// Homebrew, or Homebrew first when it is missing), discloses the commission, links to the vendor's page
// and lets the user decline. Made only by the stage factory; it knows nothing of the follow-up context.

#include "audit/AuditStage.h"
#include "ui/audit/AuditScreenSeams.h"

#include <QWidget>

#include <functional>

namespace qlan {

class AuditStageModel;

class Stage2View : public QWidget {
    Q_OBJECT
public:
    Stage2View(const SystemProfile& profile, std::function<void()> onAdvance, const AuditScreenSeams& seams,
               QWidget* parent = nullptr);

    AuditStageModel* model() const { return model_; }
    // "We may earn a commission if you install Warp through <the current edition's name>. Our
    // recommendation is editorial."
    static QString commissionDisclosure();

private:
    AuditStageModel* model_ = nullptr;
};

} // namespace qlan
