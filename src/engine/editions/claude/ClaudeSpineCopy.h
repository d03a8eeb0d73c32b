#pragma once
// The Claude Code edition's stage screens, one per domain of its spine.

#include <QString>

#include <optional>

namespace qlan::ClaudeSpineCopy {

struct DomainScreen {
    QString windowTitle;
    QString headline;
    QString body;
    std::optional<QString> footer;
    friend bool operator==(const DomainScreen&, const DomainScreen&) = default;
};

// The screen of a domain; none for an id without a stage screen (such as "ai-claude").
std::optional<DomainScreen> screen(const QString& domainID);

} // namespace qlan::ClaudeSpineCopy
