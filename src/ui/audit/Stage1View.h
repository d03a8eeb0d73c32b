#pragma once
// The foundations stage of the audit: which foundations of a development Mac are missing or behind
// (Homebrew, the Command Line Tools, the macOS release), the Homebrew installation in the fix sheet,
// the guides for the rest, and "Continue". Made only by the stage factory.

#include "audit/AuditStage.h"
#include "ui/audit/AuditScreenSeams.h"

#include <QWidget>

#include <functional>

namespace qlan {

class AuditStageModel;

class Stage1View : public QWidget {
    Q_OBJECT
public:
    Stage1View(const SystemProfile& profile, std::function<void()> onAdvance, ProfileRefresh onProfileRefresh,
               const AuditScreenSeams& seams, QWidget* parent = nullptr);

    AuditStageModel* model() const { return model_; }

private:
    QWidget* homebrewCard();
    QWidget* commandLineToolsCard();
    QWidget* macOSCard();

    AuditStageModel* model_ = nullptr;
};

} // namespace qlan
