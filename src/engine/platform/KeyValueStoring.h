#pragma once
// The persistent key-value store (user preferences).

#include <QString>
#include <QVariant>

#include <optional>

namespace qlan {

class KeyValueStoring {
public:
    virtual ~KeyValueStoring() = default;

    // Stores the value under the key; an invalid (null) QVariant removes the key. Writes through.
    virtual void set(const QVariant& value, const QString& key) = 0;
    // The stored text (a stored number comes back as its decimal text); nothing when the key is missing
    // or holds another kind of value (a list, a map, data, a flag, a date).
    virtual std::optional<QString> string(const QString& key) const = 0;
    // A stored flag; false when missing or not a flag.
    virtual bool boolValue(const QString& key) const = 0;
};

} // namespace qlan
