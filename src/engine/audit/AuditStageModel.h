#pragma once
// The state behind one stage screen of the audit (foundations or terminal): the fix sheet it has open,
// the telemetry of its controls, and the hand-back to the flow. The screen hands the flow back exactly
// once, so a stage can never be left twice (which would pass over the next stage unseen). While a fix is
// under way (its sheet open, or the re-probe after it running) the controls do nothing: the stage is
// about to be left, and a second sheet would go with its screen, its job stopped half way; the screen
// shows them disabled while the re-probe runs, and from the end of a sheet that leaves the stage until it is
// left (the sheet closes first), so that the focus the sheet gives back finds none of them and only the
// screen that comes is heard. Lives on the GUI thread.

#include "audit/AuditStage.h"
#include "diagnosis/Remediation.h"
#include "progress/RemediationOutcome.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace qlan {

class TelemetryService;

class AuditStageModel : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString stageID;
        std::function<void()> onAdvance;
        ProfileRefresh onProfileRefresh;          // awaited after a successful fix; may be empty
        std::function<void(const QUrl&)> openURL; // opens a page in the default browser
    };

    // Events go to `telemetry`, which outlives the model.
    AuditStageModel(Options options, TelemetryService& telemetry, QObject* parent = nullptr);

    // The remediation whose sheet is open.
    const std::optional<Remediation>& sheetRemediation() const { return sheet_; }
    bool isRefreshing() const { return refreshing_; }
    // The controls are held (shown disabled): the re-probe runs, or the sheet's end leaves the stage. Changes
    // are told by `heldChanged`.
    bool isHeld() const { return refreshing_ || leaving_; }
    // Busy with a fix: its sheet is open, or the re-probe after it runs. Changes are told by `busyChanged`.
    bool isBusy() const { return sheet_ || refreshing_; }
    bool hasAdvanced() const { return advanced_; }
    // The controls act: no fix is under way, and no fix's end leaves the stage.
    bool acts() const { return !isBusy() && !leaving_; }

    // The install button: "remediation_applied", then the sheet opens; nothing while a fix is under way or
    // once the stage was left.
    void install(const Remediation& remediation);
    // The sheet's one report of how it ended; it closes first. A success re-probes (when the screen can)
    // and then advances; a failure advances at once; a cancel leaves the screen as it is, unless the flow
    // leaves the stage once its fix has ended (setLeftOnceIdle).
    void finish(const RemediationOutcome& outcome);
    // Asks the flow that shows the stage whether it leaves the stage as soon as the fix under way ends (a
    // fresh profile passed over it meanwhile, say).
    void setLeftOnceIdle(std::function<bool()> leftOnceIdle) { leftOnceIdle_ = std::move(leftOnceIdle); }
    // The sheet went away without a report: the same as a cancel.
    void sheetClosed();

    // The controls below do nothing while a fix is under way, nor once its end leaves the stage.
    // "Continue": advances, no event.
    void continueOn();
    // "Maybe later": "audit_stage_skipped_by_user" with the stage id, then advances.
    void skipByUser();
    // A link button: "audit_outbound_clicked" with the tool and the address, opens it, and advances
    // when `advances`.
    void followLink(const QString& tool, const QUrl& url, bool advances);

signals:
    void sheetChanged();
    // Told as the controls are held and let go.
    void heldChanged();
    void busyChanged();

private:
    void setSheet(std::optional<Remediation> remediation);
    void setRefreshing(bool refreshing);
    void setLeaving();
    void advance();

    Options options_;
    TelemetryService& telemetry_;
    std::optional<Remediation> sheet_;
    bool refreshing_ = false;
    bool leaving_ = false; // the sheet's end leaves the stage
    bool advanced_ = false;
    std::function<bool()> leftOnceIdle_;
};

} // namespace qlan
