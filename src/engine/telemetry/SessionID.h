#pragma once
// The anonymous per-installation session identifier: a random UUID kept in the key-value store under
// the application's key prefix and ".session_id", the same across launches.

#include "platform/KeyValueStoring.h"

#include <QUuid>

#include <memory>

namespace qlan {

struct SessionID {
    std::shared_ptr<KeyValueStoring> store;
    QString keyPrefix; // the application's key prefix

    // The stored UUID (either letter case); when none is stored or the text is not a UUID, a new random
    // one, stored in its canonical upper-case text.
    QUuid value() const;

    // The key under which the identifier is stored.
    static QString key(const QString& keyPrefix);
    // The canonical text: 36 characters, upper-case hexadecimal digits in groups 8-4-4-4-12.
    static QString canonicalText(const QUuid& uuid);
    // The UUID of a canonical text in either letter case; nothing for any other text (braces included).
    static std::optional<QUuid> parse(const QString& text);
};

} // namespace qlan
