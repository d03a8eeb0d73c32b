#include "audit/GoalPromptModel.h"

#include "telemetry/EventValues.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

namespace qlan {

GoalPromptModel::GoalPromptModel(GoalPrompt prompt, std::function<void(const QString&)> onContinue,
                                 TelemetryService& telemetry)
    : prompt_(std::move(prompt))
    , onContinue_(std::move(onContinue))
    , telemetry_(telemetry) {}

const GoalOption* GoalPromptModel::selectedOption() const {
    if (!selectedKey_) return nullptr;
    for (const GoalOption& option : prompt_.options)
        if (option.key == *selectedKey_) return &option;
    return nullptr;
}

void GoalPromptModel::select(const QString& key) {
    selectedKey_ = key;
    const GoalOption* option = selectedOption();
    if (!option || !option->detailPrompt) detail_.clear();
}

QString GoalPromptModel::setDetail(const QString& text) {
    detail_ = limited(text, prompt_.detailMaxChars);
    return detail_;
}

void GoalPromptModel::continueTapped() {
    if (!selectedKey_) return;
    const GoalOption* option = selectedOption();
    const std::optional<QString> detail =
        option && option->detailPrompt ? reportedDetail(detail_, prompt_.detailMaxChars) : std::nullopt;
    telemetry_.track(goalSelectedEvent(*selectedKey_, detail, prompt_.surface));
    if (onContinue_) onContinue_(*selectedKey_);
}

std::optional<QString> GoalPromptModel::reportedDetail(const QString& detail, int maxChars) {
    QList<uint> kept;
    for (const uint scalar : detail.toUcs4()) {
        const QChar::Category category = QChar::category(char32_t(scalar));
        if (category != QChar::Other_Control && category != QChar::Other_Format) kept.append(scalar);
    }
    const QString cleaned =
        QString::fromUcs4(reinterpret_cast<const char32_t*>(kept.constData()), kept.size());
    // Removing a joiner can split one character into several: the limit applies again.
    const QString result = limited(cleaned.trimmed(), maxChars);
    if (result.isEmpty()) return std::nullopt;
    return result;
}

QString GoalPromptModel::limited(const QString& text, int maxChars) {
    if (maxChars <= 0) return QString();
    return cutToCharacters(text, maxChars);
}

} // namespace qlan
