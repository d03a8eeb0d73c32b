#include "telemetry/SessionID.h"
#include "editions/ProductConfig.h"
#include "platform/LiveKeyValueStore.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qlan;

TEST(SessionID, StaysTheSameAcrossLaunchesAndReplacesWhatIsNotAUUID) {
    QTemporaryDir dir;
    auto store = std::make_shared<LiveKeyValueStore>(dir.filePath("defaults.ini"));
    const QString prefix = ProductConfig::current().userDefaultsPrefix;
    const QString key = prefix + ".session_id";
    EXPECT_EQ(SessionID::key(prefix), key);

    // None stored: a fresh one, stored upper case.
    const QUuid first = (SessionID{store, prefix}.value());
    EXPECT_FALSE(first.isNull());
    const QString stored = store->string(key).value_or("");
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
                    .match(stored)
                    .hasMatch())
        << stored.toStdString();
    // A later launch (another store object on the same file) gets the same identifier.
    EXPECT_EQ((SessionID{std::make_shared<LiveKeyValueStore>(dir.filePath("defaults.ini")), prefix}.value()),
              first);

    // A lower-case UUID is accepted unchanged.
    const QString lower = "0f8fad5b-d9cb-469f-a165-70867728950e";
    store->set(lower, key);
    EXPECT_EQ((SessionID{store, prefix}.value()), QUuid::fromString(lower));
    EXPECT_EQ(store->string(key), lower);

    // Text that is not a UUID (braces included) is replaced by a fresh one, which then stays.
    for (const QString& junk : {QString("not-a-uuid"), "{" + lower + "}", QString("")}) {
        store->set(junk, key);
        const QUuid replaced = (SessionID{store, prefix}.value());
        EXPECT_NE(replaced, QUuid::fromString(lower));
        EXPECT_EQ(store->string(key), SessionID::canonicalText(replaced));
        EXPECT_EQ((SessionID{store, prefix}.value()), replaced);
    }
    // A number stored under the key is no UUID either.
    store->set(42, key);
    EXPECT_EQ(store->string(key).value_or("").size(), 2);
    const QUuid afterNumber = (SessionID{store, prefix}.value());
    EXPECT_EQ(store->string(key), SessionID::canonicalText(afterNumber));
}
