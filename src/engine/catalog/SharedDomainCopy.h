#pragma once
// The ready and fixable wording of the three foundation domains, "clt" (Apple's Command Line Tools),
// "homebrew" and "warp", shared by the editions, with the rules that turn a profile into the "clt" and
// "homebrew" diagnoses.

#include "catalog/SetupWorkflow.h"
#include "platform/SystemProfile.h"

#include <QString>

namespace qlan {

struct SharedDomainCopy {
    struct State {
        QString headline;
        QString detail;
        friend bool operator==(const State&, const State&) = default;
    };

    State cltReady;
    State cltFixable;
    State homebrewReady;
    State homebrewFixable;
    State warpReady;
    State warpFixable;

    // The standard wording.
    static const SharedDomainCopy& standard();
    // The standard wording with the Claude Code edition's three details (headlines unchanged).
    static const SharedDomainCopy& claudeEdition();

    // Ready with `cltReady` when the Command Line Tools folder is known, else fixable with `cltFixable`.
    SetupDiagnosis cltDiagnosis(const SystemProfile& profile) const;
    // Ready with `homebrewReady` when the `brew` executable is known, else fixable with `homebrewFixable`.
    SetupDiagnosis homebrewDiagnosis(const SystemProfile& profile) const;

    friend bool operator==(const SharedDomainCopy&, const SharedDomainCopy&) = default;
};

} // namespace qlan
