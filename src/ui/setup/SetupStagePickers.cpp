#include "ui/setup/SetupStagePickers.h"

namespace qlan {

QString specialStageKindName(const SpineRenderPolicy::SpecialStageKind& kind) {
    static const char* const names[] = {"Grouped install", "Applications", "Languages", "Project",
                                        "Skills",          "MCP servers",  "Git"};
    static_assert(std::size(names) == std::variant_size_v<SpineRenderPolicy::SpecialStageKind>);
    return QString::fromLatin1(names[kind.index()]);
}

QWidget* makeSpecialStagePicker(const SetupStagePickerContext& context) {
    auto* placeholder = new SetupPlaceholderPage(specialStageKindName(context.kind));
    placeholder->setObjectName(QStringLiteral("setup-stage-picker"));
    return placeholder;
}

} // namespace qlan
