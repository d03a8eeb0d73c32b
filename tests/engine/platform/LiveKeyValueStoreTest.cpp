// The settings store on an INI file in a temporary folder.

#include "platform/LiveKeyValueStore.h"

#include <QDate>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariantMap>

#include <gmock/gmock.h>

#include <limits>
#include <thread>
#include <vector>

using namespace qlan;

namespace {

class LiveKeyValueStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString file() const { return dir_.path() + "/preferences.ini"; }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(LiveKeyValueStoreTest, StoresAndRemovesTextThatOtherStoresSee) {
    LiveKeyValueStore store(file());
    EXPECT_EQ(store.string("quillane.session_id"), std::nullopt);

    store.set(QStringLiteral("4F1C2D3E-0000-4000-8000-000000000001"), "quillane.session_id");
    store.set(QString(), "quillane.empty");
    store.set(QStringLiteral("@starts with an at, = and ; and \"quotes\"\nand a line"), "quillane.odd");
    EXPECT_EQ(store.string("quillane.session_id"), "4F1C2D3E-0000-4000-8000-000000000001");
    EXPECT_EQ(store.string("quillane.empty"), QString());
    EXPECT_EQ(store.string("quillane.odd"), "@starts with an at, = and ; and \"quotes\"\nand a line");

    // Written through: another store on the same file, as after a restart, reads the same.
    LiveKeyValueStore reopened(file());
    EXPECT_EQ(reopened.string("quillane.session_id"), "4F1C2D3E-0000-4000-8000-000000000001");
    EXPECT_EQ(reopened.string("quillane.odd"), "@starts with an at, = and ; and \"quotes\"\nand a line");

    store.set(QStringLiteral("second"), "quillane.session_id");
    EXPECT_EQ(reopened.string("quillane.session_id"), "second");

    store.set(QVariant(), "quillane.session_id");
    EXPECT_EQ(store.string("quillane.session_id"), std::nullopt);
    EXPECT_EQ(reopened.string("quillane.session_id"), std::nullopt);
    EXPECT_EQ(store.string("quillane.odd"), "@starts with an at, = and ; and \"quotes\"\nand a line");
    store.set(QVariant(), "quillane.never-set"); // removing a missing key is harmless
    EXPECT_EQ(store.string("quillane.never-set"), std::nullopt);
}

TEST_F(LiveKeyValueStoreTest, NumbersReadBackAsTheirDecimalText) {
    LiveKeyValueStore store(file());
    store.set(42, "int");
    store.set(-7, "negative");
    store.set(qint64(9007199254740993LL), "large");
    store.set(std::numeric_limits<quint64>::max(), "unsigned-max");
    store.set(std::numeric_limits<qint64>::min(), "signed-min");
    store.set(2.5, "double");
    store.set(0.1, "tenth");
    store.set(3.0, "whole-double");
    store.set(1e21, "huge-double");

    LiveKeyValueStore reopened(file());
    for (const LiveKeyValueStore* s : {&store, &reopened}) {
        EXPECT_EQ(s->string("int"), "42");
        EXPECT_EQ(s->string("negative"), "-7");
        EXPECT_EQ(s->string("large"), "9007199254740993");
        EXPECT_EQ(s->string("unsigned-max"), "18446744073709551615");
        EXPECT_EQ(s->string("signed-min"), "-9223372036854775808");
        EXPECT_EQ(s->string("double"), "2.5");
        EXPECT_EQ(s->string("tenth"), "0.1");
        EXPECT_EQ(s->string("whole-double"), "3");
        EXPECT_EQ(s->string("huge-double"), "1e+21");
    }
}

TEST_F(LiveKeyValueStoreTest, OtherKindsReadAsNoText) {
    LiveKeyValueStore store(file());
    store.set(QStringList{"a", "b"}, "list");
    store.set(QStringList{"only"}, "one-item-list");
    store.set(QVariantList{1, "two"}, "variant-list");
    store.set(QVariantMap{{"k", "v"}}, "map");
    store.set(true, "flag");
    store.set(false, "off");
    store.set(QByteArray("bytes"), "data");
    store.set(QDate(2024, 5, 1), "date");

    LiveKeyValueStore reopened(file());
    for (const LiveKeyValueStore* s : {&store, &reopened}) {
        for (const char* key :
             {"list", "one-item-list", "variant-list", "map", "flag", "off", "data", "date"})
            EXPECT_EQ(s->string(key), std::nullopt) << key;
    }

    // A key that changes kind reads as its newest kind.
    store.set(QStringLiteral("now text"), "list");
    EXPECT_EQ(reopened.string("list"), "now text");
    store.set(QStringList{"x"}, "list");
    EXPECT_EQ(reopened.string("list"), std::nullopt);
}

TEST_F(LiveKeyValueStoreTest, FlagsReadAsBooleansAndEverythingElseAsFalse) {
    LiveKeyValueStore store(file());
    store.set(true, "quillane.consented");
    store.set(false, "quillane.nps_submitted");
    store.set(QStringLiteral("true"), "text-true");
    store.set(QStringList{"true"}, "list");
    store.set(1, "one");
    store.set(0, "zero");

    LiveKeyValueStore reopened(file());
    for (const LiveKeyValueStore* s : {&store, &reopened}) {
        EXPECT_TRUE(s->boolValue("quillane.consented"));
        EXPECT_FALSE(s->boolValue("quillane.nps_submitted"));
        EXPECT_FALSE(s->boolValue("missing"));
        EXPECT_FALSE(s->boolValue("text-true"));
        EXPECT_FALSE(s->boolValue("list"));
        EXPECT_TRUE(s->boolValue("one"));
        EXPECT_FALSE(s->boolValue("zero"));
    }
    store.set(QVariant(), "quillane.consented");
    EXPECT_FALSE(reopened.boolValue("quillane.consented"));
}

TEST_F(LiveKeyValueStoreTest, ValuesWrittenByOthersReadAsText) {
    {
        QSettings settings(file(), QSettings::IniFormat);
        settings.setValue("plain", "hello");
        settings.setValue("flag", true);
    }
    LiveKeyValueStore store(file());
    EXPECT_EQ(store.string("plain"), "hello");
    EXPECT_TRUE(store.boolValue("flag"));
}

TEST_F(LiveKeyValueStoreTest, WritersOnSeveralThreadsLoseNothing) {
    LiveKeyValueStore store(file());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&store, t] {
            for (int i = 0; i < 25; ++i)
                store.set(QStringLiteral("%1-%2").arg(t).arg(i), QStringLiteral("key-%1-%2").arg(t).arg(i));
        });
    }
    for (auto& thread : threads)
        thread.join();
    LiveKeyValueStore reopened(file());
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(reopened.string(QStringLiteral("key-%1-%2").arg(t).arg(i)),
                      QStringLiteral("%1-%2").arg(t).arg(i));
}
