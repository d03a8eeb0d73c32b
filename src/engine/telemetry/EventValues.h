#pragma once
// The pieces every usage-event builder is made of: property values, the masking and cutting of free
// text, and the length limits of the catalogue. Builders live with the types they describe; they all
// build their properties from these.

#include "platform/JavaVersion.h"
#include "telemetry/JSONValue.h"

#include <QStringList>

#include <optional>

namespace qlan {

// Which home-folder paths `homeMasked` writes with "/Users/~".
enum class HomeMasking {
    folderAndPathsBelow, // the folder itself, and any path below it
    pathsBelowOnly,      // only paths below it ("/Users/<name>/..."): the folder itself stays as it is
};

// Home-folder paths written with "/Users/~", anywhere in the text: "/Users/<userName>" and `homePath`
// (none when empty), each as a whole folder name. An empty user name leaves "/Users" paths alone.
QString homeMasked(const QString& text, const QString& userName, const QString& homePath,
                   HomeMasking masking = HomeMasking::folderAndPathsBelow);
// The same for the current user and this machine's home folder, the folder itself included.
QString homeMasked(const QString& text);
// The login name of the current user; empty when it cannot be found.
QString loginName();
// The first `limit` user-perceived characters (a letter with combining marks counts as one).
QString cutToCharacters(const QString& text, qsizetype limit);

namespace eventvalues {

inline JSONValue text(const QString& value) {
    return JSONValue::string(value);
}
inline JSONValue integer(qint64 value) {
    return JSONValue::integer(value);
}
inline JSONValue flag(bool value) {
    return JSONValue::boolean(value);
}

inline JSONValue textList(const QStringList& values) {
    JSONValue::Array array;
    for (const QString& value : values)
        array.append(JSONValue::string(value));
    return JSONValue::array(array);
}

inline JSONValue optionalInteger(const std::optional<qint64>& value) {
    return value ? JSONValue::integer(*value) : JSONValue::null();
}

// Free text that may hold a path: masked first, then cut, so that a cut never leaves part of a name.
inline QString maskedAndCut(const QString& value, qsizetype limit) {
    return cutToCharacters(homeMasked(value), limit);
}

inline std::optional<qint64> majorOfVersion(const QString& version) {
    return JavaVersion::parseMajor(JavaVersion::wrap(version));
}

inline constexpr qsizetype kUnknownReasonLimit = 120;
inline constexpr qsizetype kFailureReasonLimit = 160;
inline constexpr qsizetype kExcerptLimit = 200;
inline constexpr qsizetype kFeedbackReasonLimit = 500;

// The three events of a fix, the same for a Java fix and a guided-setup fix: the fix's id (masked), and
// its method, exit code or failure reason (masked, then cut).
inline TelemetryEvent remediationApplied(const QString& id, const QString& method) {
    return {QStringLiteral("remediation_applied"),
            {
                {QStringLiteral("remediation_id"), text(homeMasked(id))},
                {QStringLiteral("method"), text(method)},
            }};
}
inline TelemetryEvent remediationCompleted(const QString& id, qint64 exitCode) {
    return {QStringLiteral("remediation_completed"),
            {
                {QStringLiteral("remediation_id"), text(homeMasked(id))},
                {QStringLiteral("exit_code"), integer(exitCode)},
            }};
}
inline TelemetryEvent remediationFailed(const QString& id, qint64 exitCode, const QString& reason) {
    return {QStringLiteral("remediation_failed"),
            {
                {QStringLiteral("remediation_id"), text(homeMasked(id))},
                {QStringLiteral("exit_code"), integer(exitCode)},
                {QStringLiteral("reason"), text(maskedAndCut(reason, kFailureReasonLimit))},
            }};
}

} // namespace eventvalues
} // namespace qlan
