#pragma once
// Small values of the navigation model that other subsystems send or store: where the build-intent
// prompt shows, how the audit was reached, and the completion surface an audit is entered with.

#include "platform/TextEnum.h"

#include <QHashFunctions>
#include <QString>

#include <optional>

namespace qlan {

// Where the build-intent prompt shows; sent as the "surface" of the build-intent events.
enum class BuildIntentSurface { postFix, modernHomeSet, noErrorsFound };

template <> struct TextEnumCases<BuildIntentSurface> {
    static constexpr TextCase<BuildIntentSurface> cases[]{
        {BuildIntentSurface::postFix, "post_fix"},
        {BuildIntentSurface::modernHomeSet, "modern_home_set"},
        {BuildIntentSurface::noErrorsFound, "no_errors_found"},
    };
};

// How the audit was reached; sent as the "entry" of "audit_reached".
enum class AuditEntry { heuristic, buildIntent, nextStepCourse, nextStepBuildSoftware, nextStepNotSure };

template <> struct TextEnumCases<AuditEntry> {
    static constexpr TextCase<AuditEntry> cases[]{
        {AuditEntry::heuristic, "heuristic"},
        {AuditEntry::buildIntent, "build_intent"},
        {AuditEntry::nextStepCourse, "next_step_course"},
        {AuditEntry::nextStepBuildSoftware, "next_step_build_software"},
        {AuditEntry::nextStepNotSure, "next_step_not_sure"},
    };
};

// With which surface a flow enters the audit: the build-intent prompt shows at `surface`, or the
// audit shows no prompt at all (`excluded`).
struct CompletionSurface {
    enum class Kind { prompt, excluded };
    Kind kind = Kind::excluded;
    BuildIntentSurface surface = BuildIntentSurface::postFix; // meaningful for `prompt` only

    static CompletionSurface prompt(BuildIntentSurface surface) { return {Kind::prompt, surface}; }
    static CompletionSurface excluded() { return {Kind::excluded, BuildIntentSurface::postFix}; }

    friend bool operator==(const CompletionSurface& a, const CompletionSurface& b) {
        return a.kind == b.kind && (a.kind == Kind::excluded || a.surface == b.surface);
    }
};

inline size_t qHash(const CompletionSurface& value, size_t seed = 0) {
    if (value.kind == CompletionSurface::Kind::excluded) return qHashMulti(seed, int(value.kind));
    return qHashMulti(seed, int(value.kind), toText(value.surface));
}

} // namespace qlan
