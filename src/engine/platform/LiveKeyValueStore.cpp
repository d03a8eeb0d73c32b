#include "platform/LiveKeyValueStore.h"

#include <QLocale>
#include <QSettings>

#include <memory>

#ifdef Q_OS_MACOS
#include <QStringList>

#include <CoreFoundation/CoreFoundation.h>

#include <algorithm>
#endif

namespace qlan {
namespace {

#ifdef Q_OS_MACOS
// The identifier of the running application bundle; empty for a program outside one (a test program).
QString bundleIdentifier() {
    const CFBundleRef bundle = CFBundleGetMainBundle();
    const CFStringRef identifier = bundle ? CFBundleGetIdentifier(bundle) : nullptr;
    return identifier ? QString::fromCFString(identifier) : QString();
}
#endif

// Each call opens its own QSettings: one object is not safe across threads, several on one file are.
std::unique_ptr<QSettings> open(const QString& filePath) {
    if (!filePath.isEmpty()) return std::make_unique<QSettings>(filePath, QSettings::IniFormat);
#ifdef Q_OS_MACOS
    // In the application bundle: the application's own user defaults, whose domain is the bundle
    // identifier. QSettings names a native domain after an organisation's internet domain read
    // backwards ("brew.quillane.example.com" gives "com.example.quillane.brew", the first word of the
    // identifier being a top-level domain) and, with no application name, keeps the values in that
    // domain itself rather than in one below it.
    if (const QString identifier = bundleIdentifier(); !identifier.isEmpty()) {
        QStringList words = identifier.split(QLatin1Char('.'));
        std::reverse(words.begin(), words.end());
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           words.join(QLatin1Char('.')), QString());
    }
#endif
    return std::make_unique<QSettings>();
}

// Values are stored with their kind so that a list or a flag never reads back as text, whatever the
// settings back end keeps.
QString kindKey(const QString& key) {
    return QStringLiteral("qlan-value-kinds/") + key;
}

QString kindOf(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return QStringLiteral("string");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QStringLiteral("integer");
    case QMetaType::Double:
    case QMetaType::Float:
        return QStringLiteral("double");
    case QMetaType::Bool:
        return QStringLiteral("bool");
    default:
        return QStringLiteral("other");
    }
}

// The decimal text of a stored integer, signed or unsigned (the full 64-bit ranges of both).
std::optional<QString> integerText(const QVariant& value) {
    bool ok = false;
    switch (value.typeId()) {
    case QMetaType::ULongLong:
    case QMetaType::ULong:
    case QMetaType::UInt:
    case QMetaType::UShort:
        return QString::number(value.toULongLong());
    case QMetaType::QString: { // as read back from the file
        const QString text = value.toString();
        if (const qlonglong n = text.toLongLong(&ok); ok) return QString::number(n);
        if (const qulonglong n = text.toULongLong(&ok); ok) return QString::number(n);
        return std::nullopt;
    }
    default:
        if (const qlonglong n = value.toLongLong(&ok); ok) return QString::number(n);
        return std::nullopt;
    }
}

} // namespace

void LiveKeyValueStore::set(const QVariant& value, const QString& key) {
    auto settings = open(filePath_);
    if (!value.isValid() || value.isNull()) {
        settings->remove(key);
        settings->remove(kindKey(key));
    } else {
        settings->setValue(key, value);
        settings->setValue(kindKey(key), kindOf(value));
    }
    settings->sync();
}

std::optional<QString> LiveKeyValueStore::string(const QString& key) const {
    auto settings = open(filePath_);
    if (!settings->contains(key)) return std::nullopt;
    const QString kind = settings->value(kindKey(key)).toString();
    const QVariant value = settings->value(key);
    if (kind == QLatin1String("string")) return value.toString();
    if (kind == QLatin1String("integer")) return integerText(value);
    if (kind == QLatin1String("double"))
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    if (kind.isEmpty() && value.typeId() == QMetaType::QString) return value.toString(); // written by others
    return std::nullopt;
}

bool LiveKeyValueStore::boolValue(const QString& key) const {
    auto settings = open(filePath_);
    if (!settings->contains(key)) return false;
    const QString kind = settings->value(kindKey(key)).toString();
    if (kind == QLatin1String("bool") || kind == QLatin1String("integer") || kind.isEmpty())
        return settings->value(key).toBool();
    return false;
}

} // namespace qlan
