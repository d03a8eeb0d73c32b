#pragma once
// The stages of the staged audit and their gates. A stage has the stable id that telemetry carries and a
// gate that decides from the Mac's profile (and the stage's own fields) whether its screen is shown or
// passed over, and why. There are two, walked in this order: the foundations (Homebrew, the Command
// Line Tools, the macOS release) and the terminal. Their screens are made in the widget layer.

#include "appshell/AuditContext.h"
#include "appshell/QLANAuditContext.h"
#include "audit/AuditStageOutcome.h"
#include "diagnosis/Remediation.h"
#include "platform/SystemProfile.h"

#include <QString>

#include <functional>
#include <optional>
#include <variant>

namespace qlan {

// The gate's answer.
enum class AuditStageGate {
    show,               // show the stage's screen
    skipAlreadyOK,      // pass over it: the Mac already has what the stage offers
    skipMissingBlocked, // pass over it although the thing is missing: it is not offered
};

// The word "audit_stage_outcome" carries for an answer.
AuditStageOutcome stageOutcome(AuditStageGate gate);

// Asks the flow to probe the Mac again; `done` runs on the GUI thread once the fresh profile is stored.
using ProfileRefresh = std::function<void(std::function<void()> done)>;

// The three facts of a development Mac's foundations, from the profile alone.
struct FoundationsFacts {
    bool homebrewMissing = false;
    bool commandLineToolsMissing = false;
    bool macOSBehind = false; // Apple silicon only, two or more releases behind the current one

    static constexpr int currentMacOSMajor = 26;
    static FoundationsFacts of(const SystemProfile& profile);
    friend bool operator==(const FoundationsFacts&, const FoundationsFacts&) = default;
};

// The cards of the foundations screen: at most one of the Homebrew card and the Command Line Tools card
// (the Homebrew installation brings the tools along), and the macOS card on its own.
struct FoundationsCards {
    bool homebrew = false;
    bool commandLineTools = false;
    bool macOS = false;

    static FoundationsCards of(const SystemProfile& profile);
    bool any() const { return homebrew || commandLineTools || macOS; }
    friend bool operator==(const FoundationsCards&, const FoundationsCards&) = default;
};

struct Stage1Foundations {
    QString id = defaultID;
    ProfileRefresh onProfileRefresh; // may be empty

    static inline const QString defaultID = QStringLiteral("stage_1_foundations");
    // Shows the stage exactly when its screen has at least one card.
    AuditStageGate gate(const SystemProfile& profile) const;
};

struct Stage2Terminal {
    QString id = defaultID;
    std::optional<QLANAuditContext> qlan; // the audit's follow-up context; never handed to the screen

    static inline const QString defaultID = QStringLiteral("stage_2_terminal");
    AuditStageGate gate(const SystemProfile& profile) const;
    // The terminal install behind the screen's install button: through Homebrew when it is there,
    // otherwise Homebrew first and the terminal after it.
    static Remediation installRemediation(const SystemProfile& profile);
    static inline const QString cask = QStringLiteral("warp");
};

using AuditStage = std::variant<Stage1Foundations, Stage2Terminal>;

QString stageID(const AuditStage& stage);
AuditStageGate gate(const AuditStage& stage, const SystemProfile& profile);

// The shell command that fetches and runs Homebrew's official install script: the same command line the
// Homebrew installation runs.
QString homebrewInstallCommand();

// Whether an audit shows its short completion screen in place of the stages: only for the entry after
// the Java diagnosis on a Mac without development tooling, and only when that diagnosis could tell
// (a completion surface). After a diagnosis that could not tell, the completion's "Java is working"
// would be a false claim, so the stages are walked instead.
bool showsSimplifiedCompletion(const AuditContext& context, const SystemProfile& profile);

} // namespace qlan
