#pragma once
// The pieces every usage-event builder is made of: property values, the masking and cutting of free
// text, and the length limits of the catalogue. Builders live with the types they describe; they all
// build their properties from these.

#include "platform/JavaVersion.h"
#include "telemetry/TelemetryService.h"

#include <QStringList>

#include <optional>

namespace qlan::eventvalues {

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
    return TelemetryService::cutToCharacters(TelemetryService::homeMasked(value), limit);
}

inline std::optional<qint64> majorOfVersion(const QString& version) {
    return JavaVersion::parseMajor(JavaVersion::wrap(version));
}

inline constexpr qsizetype kUnknownReasonLimit = 120;
inline constexpr qsizetype kFailureReasonLimit = 160;
inline constexpr qsizetype kExcerptLimit = 200;
inline constexpr qsizetype kFeedbackReasonLimit = 500;

} // namespace qlan::eventvalues
