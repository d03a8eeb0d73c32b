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

QString toText(BuildIntentSurface surface);
template <> struct TextEnumCases<BuildIntentSurface> {
    static constexpr std::array cases{BuildIntentSurface::postFix, BuildIntentSurface::modernHomeSet,
                                      BuildIntentSurface::noErrorsFound};
};

// How the audit was reached; sent as the "entry" of "audit_reached".
enum class AuditEntry { heuristic, buildIntent, nextStepCourse, nextStepBuildSoftware, nextStepNotSure };

QString toText(AuditEntry entry);
template <> struct TextEnumCases<AuditEntry> {
    static constexpr std::array cases{AuditEntry::heuristic, AuditEntry::buildIntent,
                                      AuditEntry::nextStepCourse, AuditEntry::nextStepBuildSoftware,
                                      AuditEntry::nextStepNotSure};
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
