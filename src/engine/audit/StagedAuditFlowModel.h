#pragma once
// The state of one staged audit screen: makes sure it holds a profile of the Mac (the start-up profile
// until its own probe has finished), then either ends in the short completion or walks the foundations
// and terminal stages by their gates to the report, and leaves by the audit context's follow-up route.
//
// The stage outcome is recorded per (stage id, gate answer): when a fresh profile turns the current
// stage's answer into a skip, that outcome is sent and the flow moves on at once, so the flow never waits
// on a stage nobody will show. The one exception is a stage busy with a fix (its sheet open, or the
// re-probe after it): it is never passed over under that fix, nor given up for the short completion that a
// fresh profile calls for; the change waits and takes effect once the fix has ended. "rendered" goes out at
// most once per stage. Leaving (the recommendations, home, the follow-up route) acts once until the screen
// comes on screen again, so a double press pushes one screen.
// Lives on the GUI thread; a probe that ends after the model is gone is dropped.

#include "appshell/AppNavigation.h"
#include "appshell/AuditContext.h"
#include "audit/AuditStage.h"
#include "platform/AppServices.h"
#include "platform/SystemProfile.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>
#include <stop_token>

namespace qlan {

class AuditStageModel;
class TelemetryService;

class StagedAuditFlowModel : public QObject {
    Q_OBJECT
public:
    // Probes the Mac off the GUI thread and hands the profile to `done` on the thread of `context`.
    using ProfileProbe =
        std::function<std::stop_source(QObject* context, std::function<void(SystemProfile)> done)>;

    struct Environment {
        QPointer<AppNavigation> navigation;
        std::optional<SystemProfile> fallbackProfile; // the start-up profile
        AppServices services = AppServices::live();
        ProfileProbe probe; // none: the system profiler over `services`
    };

    // What the screen shows.
    enum class Phase { loading, simplifiedCompletion, stage, report };

    // Which screen stands: while it stays the same, the screen stays (its focus and any sheet on it), and a
    // fresh profile only brings what a stage screen shows up to date. A screen that does not follow the
    // profile (the short completion, the report) stays whatever a fresh profile says.
    struct ShownScreen {
        Phase phase = Phase::loading;
        int stageIndex = -1;      // in the stage phase only
        bool stageScreen = false; // the stage's own screen, not the small progress indicator of a skip
        friend bool operator==(const ShownScreen&, const ShownScreen&) = default;
    };

    // Events go to `telemetry`, which outlives the model.
    StagedAuditFlowModel(AuditContext context, Environment environment, TelemetryService& telemetry,
                         QObject* parent = nullptr);
    ~StagedAuditFlowModel() override;

    const AuditContext& context() const { return context_; }
    // The fresh profile when probed, else the start-up profile.
    std::optional<SystemProfile> currentProfile() const;
    Phase phase() const;
    int currentIndex() const { return currentIndex_; }
    // The screen that stands now. A stage busy with a fix keeps its own screen.
    ShownScreen shownScreen() const;
    // The stage list (only meaningful while the phase is `stage`, for the current one).
    AuditStage stage(int index) const;
    AuditStage currentStage() const { return stage(currentIndex_); }
    static constexpr int stageCount = 2;

    // What the flow did with a stage it reached: "audit_stage_outcome" with the stage's id and the
    // answer's outcome, once per (stage, answer); a skip of the current stage moves on to the next one.
    void recordStageOutcome(const AuditStage& stage, AuditStageGate answer);
    // The screen came on screen: probes once when no fresh profile is held, then "audit_reached" (and
    // "audit_gated" for the heuristic entry) once; a later return sends nothing.
    void cameOnScreen();
    // The shown stage at `stageIndex` is left; nothing when another stage is current by now.
    void advance(int stageIndex);
    // The screen of the stage at `stageIndex` is drawn from `stage`: while that stage is current and busy
    // with a fix, a fresh profile never passes over it.
    void followStage(int stageIndex, AuditStageModel* stage);
    // The current stage is busy with a fix.
    bool isStageBusy() const;
    // Whether the flow leaves the stage at `stageIndex` as soon as its fix has ended: the profile calls for
    // the short completion, or passes over the stage. The stage holds its controls from then on.
    bool leavesStageOnceIdle(int stageIndex) const;
    // Probes again (not in fixture mode) and stores the profile; `done` runs first, then the screen is
    // re-evaluated. In fixture mode `done` runs at once.
    void refreshProfile(std::function<void()> done);
    // The short completion's "See recommendations →": a new audit with the build-intent entry.
    void openRecommendations();
    // Back to the welcome screen.
    void goHome();
    // The report's done: follows the follow-up route.
    void finish();

signals:
    // The phase, the stage or the profile changed.
    void changed();

private:
    std::stop_source probe(std::function<void(SystemProfile)> done);
    void storeFreshProfile(SystemProfile profile);
    void emitArrivalEvents();
    // Records the current stage's outcome with the current profile and passes over skipped stages.
    void evaluate();
    bool beginLeaving();

    AuditContext context_;
    Environment env_;
    TelemetryService& telemetry_;
    QPointer<StagedAuditFlowModel> self_; // what the stages' closures hold
    std::optional<SystemProfile> fresh_;
    int currentIndex_ = 0;
    bool didEmitAuditReached_ = false;
    bool leaving_ = false;
    QSet<QString> recordedOutcomes_; // "<stage id> <outcome>"
    bool loading_ = false;
    QPointer<AuditStageModel> followed_; // the screen's stage model, at `followedIndex_`
    int followedIndex_ = -1;
};

} // namespace qlan
