#pragma once
// Reads values out of a property list held in memory, in XML or binary ("bplist00") form.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace qlan::PropertyListReader {

// The text found by following `keyPath` through nested dictionaries from the top level: every step but
// the last must be a dictionary, the last value must be a string. Absent when the data is not a
// property list or has another shape. Never throws.
std::optional<QString> string(const QByteArray& data, const QStringList& keyPath);

} // namespace qlan::PropertyListReader
