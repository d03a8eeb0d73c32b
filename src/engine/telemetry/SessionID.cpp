#include "telemetry/SessionID.h"

#include <QRegularExpression>

namespace qlan {

QString SessionID::key(const QString& keyPrefix) {
    return keyPrefix + QStringLiteral(".session_id");
}

QString SessionID::canonicalText(const QUuid& uuid) {
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> SessionID::parse(const QString& text) {
    // Read on the usage events' thread, also while the process ends: never destroyed.
    static const auto* const form = new QRegularExpression(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!form->match(text).hasMatch()) return std::nullopt;
    const QUuid uuid = QUuid::fromString(text);
    if (uuid.isNull() && text != QStringLiteral("00000000-0000-0000-0000-000000000000")) return std::nullopt;
    return uuid;
}

QUuid SessionID::value() const {
    const QString storeKey = key(keyPrefix);
    if (const auto stored = store->string(storeKey))
        if (const auto uuid = parse(*stored)) return *uuid;
    const QUuid fresh = QUuid::createUuid();
    store->set(canonicalText(fresh), storeKey);
    return fresh;
}

} // namespace qlan
