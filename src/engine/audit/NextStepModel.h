#pragma once
// The state behind the next-step question: the option picked, and the continue step that records the
// answer in the navigation model, reports "next_step_selected" and opens the screen the answer leads to
// (a content offer, the audit with a context that remembers the answer, the goal and where to go after
// it, or one of the two other offers). Continuing acts once until the screen comes on screen again, so a
// double press pushes one screen. Lives on the GUI thread.

#include "appshell/AppNavigation.h"
#include "catalog/Prompts.h"

#include <QPointer>
#include <QString>

#include <optional>

namespace qlan {

class TelemetryService;

class NextStepModel {
public:
    NextStepModel(NextStepPrompt prompt, QPointer<AppNavigation> navigation, TelemetryService& telemetry);

    const NextStepPrompt& prompt() const { return prompt_; }
    const std::optional<QString>& selectedKey() const { return selectedKey_; }
    bool canContinue() const { return selectedKey_.has_value(); }

    void select(const QString& key) { selectedKey_ = key; }
    void cameOnScreen() { leaving_ = false; }
    // "Show next step": nothing without a selection that matches an option.
    void continueOn();

    // The screen an option leads to, with the goal chosen earlier.
    static Screen screenFor(const NextStepOption& option, const std::optional<QString>& goal);
    // The audit entry of an option key: "course", "build_software", anything else.
    static AuditEntry entryFor(const QString& key);

private:
    NextStepPrompt prompt_;
    QPointer<AppNavigation> navigation_;
    TelemetryService& telemetry_;
    std::optional<QString> selectedKey_;
    bool leaving_ = false;
};

} // namespace qlan
