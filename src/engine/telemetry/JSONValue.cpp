#include "telemetry/JSONValue.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QVariant>

#include <cmath>

namespace qlan {

QString JSONValue::toString() const {
    if (const auto* value = std::get_if<QString>(&storage_)) return *value;
    return {};
}
qint64 JSONValue::toInteger() const {
    if (const auto* value = std::get_if<qint64>(&storage_)) return *value;
    return 0;
}
double JSONValue::toDouble() const {
    if (const auto* value = std::get_if<double>(&storage_)) return *value;
    return 0;
}
bool JSONValue::toBool() const {
    if (const auto* value = std::get_if<bool>(&storage_)) return *value;
    return false;
}
JSONValue::Array JSONValue::toArray() const {
    if (const auto* value = std::get_if<Array>(&storage_)) return *value;
    return {};
}
JSONValue::Object JSONValue::toObject() const {
    if (const auto* value = std::get_if<Object>(&storage_)) return *value;
    return {};
}

std::optional<QJsonValue> JSONValue::toJson() const {
    switch (kind()) {
    case Kind::string:
        return QJsonValue(std::get<QString>(storage_));
    case Kind::integer:
        return QJsonValue(std::get<qint64>(storage_));
    case Kind::floating: {
        const double value = std::get<double>(storage_);
        if (!std::isfinite(value)) return std::nullopt;
        return QJsonValue(value);
    }
    case Kind::boolean:
        return QJsonValue(std::get<bool>(storage_));
    case Kind::array: {
        QJsonArray array;
        for (const JSONValue& element : std::get<Array>(storage_)) {
            const auto encoded = element.toJson();
            if (!encoded) return std::nullopt;
            array.append(*encoded);
        }
        return QJsonValue(array);
    }
    case Kind::object:
        return toJson(std::get<Object>(storage_));
    case Kind::null:
        return QJsonValue(QJsonValue::Null);
    }
    return std::nullopt;
}

std::optional<QJsonValue> JSONValue::toJson(const Object& object) {
    QJsonObject encoded;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const auto value = it.value().toJson();
        if (!value) return std::nullopt;
        encoded.insert(it.key(), *value);
    }
    return QJsonValue(encoded);
}

std::optional<JSONValue> JSONValue::fromJson(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Null:
        return JSONValue::null();
    case QJsonValue::Bool:
        return JSONValue::boolean(value.toBool());
    case QJsonValue::Double: {
        // Integers come first: a number written without a fraction, or a whole number that fits.
        const QVariant number = value.toVariant();
        if (number.typeId() == QMetaType::LongLong) return JSONValue::integer(number.toLongLong());
        const double real = value.toDouble();
        if (std::trunc(real) == real && real >= -9223372036854775808.0 && real < 9223372036854775808.0)
            return JSONValue::integer(static_cast<qint64>(real));
        return JSONValue::floating(real);
    }
    case QJsonValue::String:
        return JSONValue::string(value.toString());
    case QJsonValue::Array: {
        Array array;
        for (const QJsonValue& element : value.toArray()) {
            auto decoded = fromJson(element);
            if (!decoded) return std::nullopt;
            array.append(std::move(*decoded));
        }
        return JSONValue::array(std::move(array));
    }
    case QJsonValue::Object: {
        Object object;
        const QJsonObject source = value.toObject();
        for (auto it = source.begin(); it != source.end(); ++it) {
            auto decoded = fromJson(it.value());
            if (!decoded) return std::nullopt;
            object.insert(it.key(), std::move(*decoded));
        }
        return JSONValue::object(std::move(object));
    }
    case QJsonValue::Undefined:
        break;
    }
    return std::nullopt;
}

} // namespace qlan
