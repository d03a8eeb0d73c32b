#pragma once
// The state behind the goal question of the welcome screen: the option picked, the free-text detail of
// an option that asks for one (never longer than the prompt's limit, counted in user-perceived
// characters), and the continue step that reports "goal_selected" and hands the chosen key to the host.
// The detail reaches telemetry only, cleaned of control and format characters and trimmed.

#include "catalog/Prompts.h"

#include <QString>

#include <functional>
#include <optional>

namespace qlan {

class TelemetryService;

class GoalPromptModel {
public:
    GoalPromptModel(GoalPrompt prompt, std::function<void(const QString&)> onContinue,
                    TelemetryService& telemetry);

    const GoalPrompt& prompt() const { return prompt_; }
    const std::optional<QString>& selectedKey() const { return selectedKey_; }
    const QString& detail() const { return detail_; }
    // The selected option; none when nothing (or an unknown key) is selected.
    const GoalOption* selectedOption() const;
    bool canContinue() const { return selectedKey_.has_value(); }

    // Picks an option; one without a detail prompt empties the detail.
    void select(const QString& key);
    // The field's new text, kept up to the limit; returns what the field holds now.
    QString setDetail(const QString& text);
    // Continue: "goal_selected" {goal, detail, surface}, then the host's callback with the key.
    void continueTapped();

    // The detail as reported: control and format characters removed, trimmed, cut to the limit; none
    // when nothing is left.
    static std::optional<QString> reportedDetail(const QString& detail, int maxChars);
    // The first `maxChars` user-perceived characters of the text (none for a limit of zero or less).
    static QString limited(const QString& text, int maxChars);

private:
    GoalPrompt prompt_;
    std::function<void(const QString&)> onContinue_;
    TelemetryService& telemetry_;
    std::optional<QString> selectedKey_;
    QString detail_;
};

} // namespace qlan
