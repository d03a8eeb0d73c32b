#pragma once
// The staged audit's screen: a progress indicator while no profile of the Mac is held, then the short
// completion, or one stage screen at a time, or the report. What it shows follows its model, which it
// lets follow the shown stage screen's model: a stage screen whose fix sheet is open or whose re-probe
// runs is kept, whatever the profile says, until the fix has ended. A screen is replaced only when another
// one comes; a fresh profile that leaves the same screen standing is drawn on it in place (also behind an
// open fix sheet, so that the sheet's end finds the controls as they will stand, but not where the fix's end
// is leaving the stage), so that the person keeps their place and hears nothing where nothing they see
// changed; a card that goes under the focus leaves it with the window, told once.

#include "audit/StagedAuditFlowModel.h"
#include "ui/audit/AuditScreenSeams.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QVBoxLayout;

namespace qlan {

class StagedAuditFlow : public QWidget {
    Q_OBJECT
public:
    // Events go to the telemetry of `seams`.
    StagedAuditFlow(AuditContext context, StagedAuditFlowModel::Environment environment,
                    AuditScreenSeams seams, QWidget* parent = nullptr);

    StagedAuditFlowModel* model() const { return model_; }
    // The screen shown now: a progress indicator, a stage screen, the completion or the report.
    QWidget* currentScreen() const { return screen_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sync();
    QWidget* makeScreen(const StagedAuditFlowModel::ShownScreen& shown,
                        const std::optional<SystemProfile>& profile);

    StagedAuditFlowModel* model_ = nullptr;
    AuditScreenSeams seams_;
    AppServices services_;
    QVBoxLayout* layout_ = nullptr;
    QPointer<QWidget> screen_;
    std::optional<StagedAuditFlowModel::ShownScreen> shown_;
    std::optional<SystemProfile> drawn_; // the profile the screen shown was last drawn from
};

} // namespace qlan
