#pragma once
// The default developer-environment stages: the five prerequisite domains of the Claude Code edition
// ("clt", "homebrew", "claude-cli", "warp", "claude-desktop") followed by the developer-environment domains
// ("codex", "project", "skills", "mcp", "editor", "shell-config", "languages", "agent-docs", "git"), each
// with its verdict and its fixes. The Claude Code edition's spine is this list, and the guided setup
// falls back to it for an edition whose spine provider is missing or gives no workflow. Pure functions;
// the forms without a wording argument read the current edition's shared domain copy.

#include "catalog/SetupRemediation.h"
#include "catalog/SetupWorkflow.h"
#include "catalog/SharedDomainCopy.h"
#include "platform/SystemProfile.h"

#include <QList>
#include <QString>

#include <optional>

namespace qlan {

// The 14 steps (13 on an Intel Mac, which gets no "codex" step): the five prerequisites and "codex"
// primary, "project", "skills" and "mcp" offers, the rest optional.
QList<WorkflowStep> makeDevelopmentStages(const SystemProfile& profile, const SetupProbeBundle& probes,
                                          const SharedDomainCopy& wording);

// The five prerequisite steps, all primary.
QList<WorkflowStep> makeClaudeSpineStages(const SystemProfile& profile, const SetupProbeBundle& probes,
                                          const SharedDomainCopy& wording);

// The verdict of one of the 14 domains; absent for any other id ("ai-claude" included).
std::optional<SetupDiagnosis> claudeDomainDiagnosis(const QString& domainID, const SystemProfile& profile,
                                                    const SetupProbeBundle& probes,
                                                    const SharedDomainCopy& wording);

// "claude-cli": blocked when several distinct `claude` installs exist, fixable when there is none, when
// the one on PATH does not run cleanly, or when the one install is not on PATH; ready otherwise.
SetupDiagnosis claudeCLIDiagnosis(const SystemProfile& profile, const SetupProbeBundle& probes);
// "claude-desktop": ready when the Claude app is installed, else fixable.
SetupDiagnosis claudeDesktopDiagnosis(const SystemProfile& profile);

// The fixes of one domain, in order; empty when nothing is to be done or the id is unknown. A ready or
// blocked stage gets none; "languages", "skills", "mcp" and "git" are chosen on their own screens.
QList<SetupRemediation> makeDevelopmentRemediations(const QString& domainID, const SystemProfile& profile,
                                                    const SetupProbeBundle& probes);

} // namespace qlan
