#pragma once
// The staged audit's screen: a progress indicator while no profile of the Mac is held, then the short
// completion, or one stage screen at a time, or the report. What it shows follows its model, which it
// lets follow the shown stage screen's model: a stage screen whose fix sheet is open or whose re-probe
// runs is kept, whatever the profile says, until the fix has ended.

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
    struct Shown {
        StagedAuditFlowModel::Phase phase;
        int index;
        std::optional<SystemProfile> profile;
        friend bool operator==(const Shown&, const Shown&) = default;
    };

    void sync();
    QWidget* makeScreen(const Shown& shown);

    StagedAuditFlowModel* model_ = nullptr;
    AuditScreenSeams seams_;
    AppServices services_;
    QVBoxLayout* layout_ = nullptr;
    QPointer<QWidget> screen_;
    std::optional<Shown> shown_;
};

} // namespace qlan
