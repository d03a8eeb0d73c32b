#pragma once
// Is there enough free space on the home volume for the setup: the configuration, verdict and result.

#include "platform/TextEnum.h"

#include <QString>
#include <QtGlobal>

#include <optional>

namespace qlan {

enum class DiskVerdict { ok, low, critical, unmeasured };

template <> struct TextEnumCases<DiskVerdict> {
    static constexpr TextCase<DiskVerdict> cases[]{
        {DiskVerdict::ok, "ok"},
        {DiskVerdict::low, "low"},
        {DiskVerdict::critical, "critical"},
        {DiskVerdict::unmeasured, "unmeasured"},
    };
};
// `low` and `critical` need a warning; `ok` and `unmeasured` do not.
bool needsWarning(DiskVerdict verdict);

// How much free space the setup wants: its worst case, the headroom above that (together: "low" below
// them), and the floor below which the disk is "critical".
struct DiskReadinessConfig {
    qint64 worstCaseInstallBytes = 0;
    qint64 freeFloorBytes = 0;
    qint64 criticalFreeBytes = 0;

    friend bool operator==(const DiskReadinessConfig&, const DiskReadinessConfig&) = default;
};

struct DiskReadinessResult {
    DiskVerdict verdict = DiskVerdict::unmeasured;
    std::optional<qint64> availableBytes;
    qint64 worstCaseBytes = 0;
    qint64 headroomBytes = 0;

    // Absent: unmeasured; below `criticalBytes`: critical; below worst case + headroom: low; else ok.
    static DiskReadinessResult evaluate(std::optional<qint64> availableBytes, qint64 worstCaseBytes,
                                        qint64 headroomBytes, qint64 criticalBytes);

    friend bool operator==(const DiskReadinessResult&, const DiskReadinessResult&) = default;
};

} // namespace qlan
