#pragma once
// The typed JSON value of usage-event properties: string, integer, floating point, boolean, array,
// object or null. Arrays and objects nest to any depth.

#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>
#include <variant>

namespace qlan {

class JSONValue {
public:
    using Array = QList<JSONValue>;
    using Object = QMap<QString, JSONValue>;
    enum class Kind { string, integer, floating, boolean, array, object, null };

    JSONValue() = default; // null

    static JSONValue string(QString text) { return JSONValue(Storage(std::move(text))); }
    static JSONValue integer(qint64 value) { return JSONValue(Storage(value)); }
    static JSONValue floating(double value) { return JSONValue(Storage(value)); }
    static JSONValue boolean(bool value) { return JSONValue(Storage(value)); }
    static JSONValue array(Array values) { return JSONValue(Storage(std::move(values))); }
    static JSONValue object(Object values) { return JSONValue(Storage(std::move(values))); }
    static JSONValue null() { return JSONValue(); }

    Kind kind() const { return static_cast<Kind>(storage_.index()); }
    bool isNull() const { return kind() == Kind::null; }

    // The payload of the matching case; empty, 0, false or an empty container for another case.
    QString toString() const;
    qint64 toInteger() const;
    double toDouble() const;
    bool toBool() const;
    Array toArray() const;
    Object toObject() const;

    // The plain JSON value. Absent when the value cannot be encoded: a floating-point value that is
    // not finite (NaN or infinite) anywhere inside it.
    std::optional<QJsonValue> toJson() const;
    static std::optional<QJsonValue> toJson(const Object& object);

    // Decoding takes the first case that fits, in this order: null, boolean, integer, floating point,
    // string, array, object. A JSON number never decodes as a boolean, nor `true` as a number.
    // An undefined value fails ("Unknown JSONValue").
    static std::optional<JSONValue> fromJson(const QJsonValue& value);

    // Same case and equal payloads; an integer never equals a floating-point value.
    friend bool operator==(const JSONValue&, const JSONValue&) = default;

private:
    // Alternatives in the order of Kind.
    using Storage = std::variant<QString, qint64, double, bool, Array, Object, std::monostate>;
    explicit JSONValue(Storage storage)
        : storage_(std::move(storage)) {}
    Storage storage_{std::monostate{}};
};

// A property map of a usage event.
using JSONObject = JSONValue::Object;

// A usage event: its name and its properties.
struct TelemetryEvent {
    QString name;
    JSONObject properties;
    friend bool operator==(const TelemetryEvent&, const TelemetryEvent&) = default;
};

} // namespace qlan
