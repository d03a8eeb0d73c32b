#pragma once
// The one parser of a Java major version from text such as `openjdk version "21.0.2" 2024-01-16`.

#include <QString>

#include <optional>

namespace qlan::JavaVersion {

// The major version of the first `version "N[.M]` in the text (case-sensitive); a legacy 1.x gives x.
// Absent when there is no such text or the number does not fit a 64-bit integer.
std::optional<qint64> parseMajor(const QString& text);

// The text that callers holding a bare version wrap it in before parsing: version "<v>".
inline QString wrap(const QString& bareVersion) { return QStringLiteral("version \"%1\"").arg(bareVersion); }

} // namespace qlan::JavaVersion
