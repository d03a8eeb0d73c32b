#pragma once
// How Homebrew is installed on the Mac: working, in two places, not found by the login shell, in the
// Intel location on an Apple Silicon Mac, or not at all. Computed on demand from the profile and the
// Homebrew prober's facts; never stored or sent.

#include "catalog/SetupWorkflow.h"
#include "catalog/SharedDomainCopy.h"
#include "platform/SystemProfile.h"

#include <QString>

namespace qlan {

class HomebrewLocationState {
public:
    enum Value { installed, installedInTwoPlaces, notOnPath, wrongChip, notInstalled };

    constexpr HomebrewLocationState(Value value)
        : value_(value) {}
    constexpr operator Value() const { return value_; }

    // The two well-known executables, in this order: the native Apple Silicon location, then the Intel
    // location. Only these count as an installation. Constants that nothing destroys, as are the
    // headlines: probe and job threads read them, also while the process ends.
    static constexpr QLatin1String appleSiliconBrew{"/opt/homebrew/bin/brew"};
    static constexpr QLatin1String intelBrew{"/usr/local/bin/brew"};

    // The headlines of the not-on-PATH and wrong-chip states; the Homebrew edition's screen copy
    // recognises these states by them.
    static constexpr QLatin1String notOnPathHeadline{"Homebrew is installed, but your shell can't find it"};
    static constexpr QLatin1String wrongChipHeadline{"Homebrew is installed for the wrong chip"};

    // The first rule that applies: no well-known file -> notInstalled; Apple Silicon with only the Intel
    // file -> wrongChip; brew not working from the login shell (its version command failed or `which -a`
    // found nothing) -> notOnPath; both files -> installedInTwoPlaces; otherwise installed.
    static HomebrewLocationState classify(const SystemProfile& profile, const SetupProbeBundle& probes);

    // What the user is told about the state; `wording` gives the installed and not-installed texts.
    static SetupDiagnosis diagnosis(HomebrewLocationState state, const SharedDomainCopy& wording);
    SetupDiagnosis diagnosis(const SharedDomainCopy& wording) const { return diagnosis(*this, wording); }

    // The case's name, for messages.
    QString name() const;

private:
    Value value_;
};

} // namespace qlan
