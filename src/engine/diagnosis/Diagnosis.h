#pragma once
// The Java finding about a Mac, with the headline and paragraph the diagnosis screen shows for it.

#include "appshell/NavigationValues.h"
#include "platform/JavaProbeModel.h"

#include <QString>

namespace qlan {

struct Diagnosis {
    enum class Kind { D1_NoJDK, D2_HomeUnset, D3_LegacyOnly, D4_ModernHomeSet, noErrorsFound, unknown };

    // A JDK is modern from this major version on; the texts recommend `recommendedMajor`.
    static constexpr int modernMinimumMajor = 21;
    static constexpr int recommendedMajor = 25;

    Kind kind = Kind::noErrorsFound;
    JDKInfo detectedJDK; // D2_HomeUnset, D3_LegacyOnly, D4_ModernHomeSet
    QString reason;      // unknown

    static Diagnosis noJDK() { return {Kind::D1_NoJDK, {}, {}}; }
    static Diagnosis homeUnset(JDKInfo jdk) { return {Kind::D2_HomeUnset, std::move(jdk), {}}; }
    static Diagnosis legacyOnly(JDKInfo jdk) { return {Kind::D3_LegacyOnly, std::move(jdk), {}}; }
    static Diagnosis modernHomeSet(JDKInfo jdk) { return {Kind::D4_ModernHomeSet, std::move(jdk), {}}; }
    static Diagnosis noErrors() { return {Kind::noErrorsFound, {}, {}}; }
    static Diagnosis unknownState(QString reason) { return {Kind::unknown, {}, std::move(reason)}; }

    bool hasDetectedJDK() const {
        return kind == Kind::D2_HomeUnset || kind == Kind::D3_LegacyOnly || kind == Kind::D4_ModernHomeSet;
    }

    QString title() const;
    QString explanation() const;
    // The surface with which the Java flow enters the audit after this diagnosis.
    CompletionSurface outcomeCategory() const;

    // Same case and equal payloads; the payload of another case never takes part.
    friend bool operator==(const Diagnosis& a, const Diagnosis& b) {
        if (a.kind != b.kind) return false;
        if (a.hasDetectedJDK()) return a.detectedJDK == b.detectedJDK;
        if (a.kind == Kind::unknown) return a.reason == b.reason;
        return true;
    }
};

} // namespace qlan
