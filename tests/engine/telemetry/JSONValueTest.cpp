#include "telemetry/JSONValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

#include <limits>

using namespace qlan;

namespace {

std::optional<JSONValue> decode(const QByteArray& json) {
    const QJsonDocument document = QJsonDocument::fromJson("[" + json + "]");
    return JSONValue::fromJson(document.array().at(0));
}

} // namespace

TEST(JSONValue, DecodesEachJsonKindAsItsOwnCase) {
    EXPECT_EQ(decode("true"), JSONValue::boolean(true));
    EXPECT_EQ(decode("false"), JSONValue::boolean(false));
    EXPECT_EQ(decode("3"), JSONValue::integer(3));
    EXPECT_EQ(decode("-9223372036854775808"), JSONValue::integer(std::numeric_limits<qint64>::min()));
    EXPECT_EQ(decode("9007199254740993"), JSONValue::integer(9007199254740993LL)); // beyond double precision
    EXPECT_EQ(decode("3.5"), JSONValue::floating(3.5));
    EXPECT_EQ(decode("1"), JSONValue::integer(1)); // a number never decodes as a boolean
    EXPECT_EQ(decode("null"), JSONValue::null());
    EXPECT_EQ(decode("\"x\""), JSONValue::string("x"));
    EXPECT_EQ(decode("[1, \"a\", null]"),
              JSONValue::array({JSONValue::integer(1), JSONValue::string("a"), JSONValue::null()}));

    // Cases never compare equal across kinds, even when the numbers agree.
    EXPECT_NE(JSONValue::integer(3), JSONValue::floating(3.0));
    EXPECT_NE(JSONValue::boolean(true), JSONValue::integer(1));
    EXPECT_NE(JSONValue::string(""), JSONValue::null());
}

TEST(JSONValue, NestedValuesSurviveEncodingAndDecoding) {
    const JSONValue nested = JSONValue::object({
        {"jdks",
         JSONValue::array({
             JSONValue::object({{"path", JSONValue::string("/Users/~/jdk")},
                                {"major_version", JSONValue::integer(21)},
                                {"vendor", JSONValue::null()}}),
             JSONValue::object({{"speed", JSONValue::floating(12.4)},
                                {"deep", JSONValue::array({JSONValue::array({JSONValue::boolean(false)})})}}),
         })},
        {"empty_list", JSONValue::array({})},
        {"empty_object", JSONValue::object({})},
        {"text", JSONValue::string("“quoted” — ü\n")},
    });
    const auto encoded = nested.toJson();
    ASSERT_TRUE(encoded.has_value());
    const QByteArray bytes = QJsonDocument(QJsonArray{*encoded}).toJson(QJsonDocument::Compact);
    const auto decoded = JSONValue::fromJson(QJsonDocument::fromJson(bytes).array().at(0));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, nested);
}

TEST(JSONValue, NonFiniteNumbersCannotBeEncodedAnywhereInside) {
    EXPECT_FALSE(JSONValue::floating(std::numeric_limits<double>::quiet_NaN()).toJson().has_value());
    EXPECT_FALSE(JSONValue::array(
                     {JSONValue::integer(1), JSONValue::floating(std::numeric_limits<double>::infinity())})
                     .toJson()
                     .has_value());
    EXPECT_FALSE(
        JSONValue::toJson(JSONObject{{"a", JSONValue::object({{"b", JSONValue::floating(-INFINITY)}})}})
            .has_value());
    EXPECT_TRUE(JSONValue::toJson(JSONObject{{"a", JSONValue::floating(1e308)}}).has_value());
    EXPECT_FALSE(JSONValue::fromJson(QJsonValue(QJsonValue::Undefined)).has_value());
}
