#pragma once
// The stage content of the ten developer-environment domains: "ai-claude", "codex", "editor",
// "shell-config", "languages", "agent-docs", "project", "skills", "mcp" and "git". Each domain's diagnosis
// and its fixes are decided from the profile's AI-tool flags and the probe bundle's flags. Domain ids are
// compared as exact texts.

#include "catalog/SetupRemediation.h"
#include "catalog/SetupWorkflow.h"
#include "platform/SystemProfile.h"

#include <QList>
#include <QString>

#include <optional>

namespace qlan {

// Yes for exactly the ten AI-coding domain ids.
bool isAICodingDomain(const QString& domainID);

// The domain's diagnosis; absent for any id that is not an AI-coding domain.
std::optional<SetupDiagnosis> aiCodingDiagnosis(const QString& domainID, const SystemProfile& profile,
                                                const SetupProbeBundle& bundle);

// The domain's fixes, in order; empty for any other id. "languages", "skills", "mcp" and "git" are
// always empty here: their fixes come from the stage's own pickers and actions.
QList<SetupRemediation> aiCodingRemediations(const QString& domainID, const SystemProfile& profile,
                                             const SetupProbeBundle& bundle);

} // namespace qlan
