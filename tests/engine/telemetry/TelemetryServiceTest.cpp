#include "telemetry/TelemetryService.h"
#include "editions/EditionTelemetry.h"
#include "editions/ProductConfig.h"
#include "platform/LiveFileSystem.h"
#include "platform/LiveHTTPFetcher.h"
#include "platform/LiveKeyValueStore.h"
#include "platform/PlatformError.h"
#include "support/ForwardingFileSystem.h"
#include "support/LoopbackHttpServer.h"
#include "support/Sandbox.h"
#include "support/ScopedVariable.h"
#include "support/Wait.h"
#include "telemetry/SessionID.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <future>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <thread>

using namespace qlan;
using namespace std::chrono_literals;
using qlan::test::LoopbackHttpServer;
using qlan::test::LoopbackRequest;
using qlan::test::LoopbackResponse;
using qlan::test::patienceMs;
using qlan::test::waitUntil;

namespace {

const QString kPath = "/api/database/records/usage_events";

// Captures the lines the service writes to the log while it lives.
class LogCapture {
public:
    LogCapture() {
        std::lock_guard lock(mutex());
        lines().clear();
        previous_ = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() { qInstallMessageHandler(previous_); }
    static QStringList captured() {
        std::lock_guard lock(mutex());
        return lines();
    }

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message) {
        if (QByteArray(context.category) != "qlan.telemetry") return;
        std::lock_guard lock(mutex());
        lines().append(message);
    }
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static QStringList& lines() {
        static QStringList l;
        return l;
    }
    QtMessageHandler previous_ = nullptr;
};

// The pauses the service asked for between tries; they return at once.
struct PauseRecorder {
    std::shared_ptr<std::mutex> mutex = std::make_shared<std::mutex>();
    std::shared_ptr<QList<qint64>> pauses = std::make_shared<QList<qint64>>();
    TelemetryService::RetryPause pause() const {
        return [mutex = mutex, pauses = pauses](std::chrono::milliseconds duration, std::stop_token) {
            std::lock_guard lock(*mutex);
            pauses->append(duration.count());
        };
    }
    QList<qint64> recorded() const {
        std::lock_guard lock(*mutex);
        return *pauses;
    }
};

class TelemetryServiceTest : public ::testing::Test {
protected:
    TelemetryService::Configuration configuration(const QUrl& endpoint) const {
        TelemetryService::Configuration config;
        config.endpointURL = endpoint;
        config.anonKey = "anon-key";
        config.appVersion = "2.3 (41)";
        config.appID = "qlan-brew";
        config.keyPrefix = ProductConfig::current().userDefaultsPrefix;
        config.runContext = "ci";
        config.urlSessionFactory = [http = http] {
            return TelemetryService::makeURLSession("anon-key", http);
        };
        config.kvStore = store;
        config.fs = fs;
        config.pendingFileURL = pendingFile;
        config.retryPause = pauses.pause();
        return config;
    }

    QJsonArray fileEvents() const {
        QFile file(pendingFile);
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QJsonDocument::fromJson(file.readAll()).array();
    }
    QStringList fileEventNames() const {
        QStringList names;
        for (const QJsonValue& event : fileEvents())
            names.append(event.toObject().value("eventName").toString());
        return names;
    }
    static QJsonObject wireRecord(const LoopbackRequest& request) {
        const QJsonArray body = QJsonDocument::fromJson(request.body).array();
        EXPECT_EQ(body.size(), 1);
        return body.at(0).toObject();
    }
    static QStringList wireNames(const QList<LoopbackRequest>& requests) {
        QStringList names;
        for (const LoopbackRequest& request : requests)
            names.append(wireRecord(request).value("event_name").toString());
        return names;
    }

    QTemporaryDir dir;
    QString pendingFile = dir.filePath("Application Support/Quillane with Homebrew/pending-events.json");
    std::shared_ptr<FileSystemOperating> fs = std::make_shared<LiveFileSystem>();
    std::shared_ptr<KeyValueStoring> store =
        std::make_shared<LiveKeyValueStore>(dir.filePath("defaults.ini"));
    std::shared_ptr<HTTPFetching> http = std::make_shared<LiveHTTPFetcher>();
    PauseRecorder pauses;
    LoopbackHttpServer server;
};

} // namespace

TEST_F(TelemetryServiceTest, DeliversOneRecordPerEventAndRemovesTheEmptyQueueFile) {
    server.route(kPath, LoopbackResponse{.status = 201});
    TelemetryService service(configuration(server.url(kPath)));
    const JSONObject properties = {
        {"jdks", JSONValue::array({JSONValue::object({{"path", JSONValue::string("/Users/~/x")},
                                                      {"major_version", JSONValue::integer(21)},
                                                      {"vendor", JSONValue::null()}})})},
        {"speed", JSONValue::floating(12.4)},
        {"ok", JSONValue::boolean(true)},
    };
    service.track("diagnosis_reached", properties);
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1 && !service.isDelivering(); }));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    EXPECT_FALSE(QFile::exists(pendingFile));

    const LoopbackRequest request = server.requests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_EQ(request.header("Authorization"), "Bearer anon-key");
    const QJsonObject record = wireRecord(request);
    EXPECT_EQ(record.keys(), (QStringList{"app_id", "app_version", "client_timestamp", "event_data",
                                          "event_name", "run_context", "session_id"}));
    EXPECT_EQ(record.value("session_id").toString(), SessionID::canonicalText(service.sessionID()).toLower());
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)")
                    .match(record.value("client_timestamp").toString())
                    .hasMatch())
        << record.value("client_timestamp").toString().toStdString();
    EXPECT_EQ(record.value("app_version").toString(), "2.3 (41)");
    EXPECT_EQ(record.value("app_id").toString(), "qlan-brew");
    EXPECT_EQ(record.value("run_context").toString(), "ci");
    EXPECT_EQ(record.value("event_name").toString(), "diagnosis_reached");
    EXPECT_EQ(JSONValue::fromJson(record.value("event_data")), JSONValue::object(properties));
    EXPECT_TRUE(pauses.recorded().isEmpty());

    // The identifier is the installation's: stored upper case under the edition's key.
    EXPECT_EQ(store->string(SessionID::key(ProductConfig::current().userDefaultsPrefix)),
              SessionID::canonicalText(service.sessionID()));
}

TEST_F(TelemetryServiceTest, RefusedEventsAreDroppedWithALogLine) {
    LogCapture log;
    server.route(kPath, LoopbackResponse{.status = 404});
    TelemetryService service(configuration(server.url(kPath)));
    service.track("renamed_event");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1 && !service.isDelivering(); }));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    EXPECT_FALSE(QFile::exists(pendingFile));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    EXPECT_TRUE(LogCapture::captured().contains(
        "Telemetry: dropping event after 404 (likely event_name or schema mismatch)"))
        << LogCapture::captured().join("\n").toStdString();
    EXPECT_TRUE(pauses.recorded().isEmpty());
}

TEST_F(TelemetryServiceTest, ServerErrorsGetThreeTriesThenTheEventStaysFirstUntilTheNextTrack) {
    std::atomic<int> status{500};
    server.route(kPath, [&](const LoopbackRequest&) { return LoopbackResponse{.status = status.load()}; });
    TelemetryService service(configuration(server.url(kPath)));
    service.track("first", {{"n", JSONValue::integer(1)}});
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 3; }));
    ASSERT_TRUE(waitUntil([&] { return !service.isDelivering(); }));
    EXPECT_EQ(pauses.recorded(), (QList<qint64>{500, 1000}));

    // The file holds the event, its identifier upper case; the wire carried it lower case.
    ASSERT_TRUE(waitUntil([&] { return fileEventNames() == QStringList{"first"}; }));
    const QJsonObject stored = fileEvents().first().toObject();
    EXPECT_EQ(stored.keys(),
              (QStringList{"appVersion", "clientTimestamp", "eventData", "eventName", "sessionID"}));
    const QString fileID = stored.value("sessionID").toString();
    EXPECT_EQ(fileID, fileID.toUpper());
    EXPECT_EQ(wireRecord(server.requests().first()).value("session_id").toString(), fileID.toLower());
    EXPECT_EQ(JSONValue::fromJson(stored.value("eventData")),
              JSONValue::object({{"n", JSONValue::integer(1)}}));

    // 503 is tried again as well; a later track starts a new loop with the failed event first.
    status = 503;
    service.track("second");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 6; }));
    ASSERT_TRUE(waitUntil([&] { return !service.isDelivering(); }));
    EXPECT_EQ(pauses.recorded().size(), 4);
    ASSERT_TRUE(waitUntil([&] { return fileEventNames() == QStringList{"first", "second"}; }));
    EXPECT_EQ(wireNames(server.requests()),
              (QStringList{"first", "first", "first", "first", "first", "first"}));

    status = 200;
    service.track("third");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 9 && !service.isDelivering(); }));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    EXPECT_FALSE(QFile::exists(pendingFile));
    EXPECT_EQ(wireNames(server.requests()).mid(6), (QStringList{"first", "second", "third"}));
}

TEST_F(TelemetryServiceTest, RefusedConnectionsAreTriedThreeTimes) {
    QUrl endpoint = server.url(kPath);
    endpoint.setPort(LoopbackHttpServer::refusedPort());
    TelemetryService service(configuration(endpoint));
    service.track("offline");
    ASSERT_TRUE(waitUntil([&] { return pauses.recorded().size() == 2 && !service.isDelivering(); }));
    EXPECT_EQ(pauses.recorded(), (QList<qint64>{500, 1000}));
    ASSERT_TRUE(waitUntil([&] { return fileEventNames() == QStringList{"offline"}; }));
}

TEST_F(TelemetryServiceTest, TheLimitsEndATryThatHangsOrNeverEnds) {
    struct Case {
        const char* path;
        LoopbackResponse answer;
        double idleSeconds;
        double wholeSeconds;
    };
    const Case cases[] = {
        // No byte for a minute: the idle limit ends each try.
        {"/silent", {.status = 200, .headDelayMs = 60000}, 0.3, 30.0},
        // A head line every 50 ms, never ending: the limit of the whole request ends each try.
        {"/trickle",
         {.status = 200, .chunkBytes = 1, .chunkDelayMs = 50, .headFiller = "X-Pad: x\r\n"},
         30.0,
         0.5},
        // A head that never ends: the try ends once it is longer than any head can be.
        {"/endless", {.status = 200, .headFiller = "X-Pad: x\r\n"}, 30.0, 30.0},
    };
    for (const Case& c : cases) {
        server.route(c.path, c.answer);
        auto config = configuration(server.url(c.path));
        config.urlSessionFactory = [http = http, c] {
            auto session = TelemetryService::makeURLSession("anon-key", http);
            session.requestTimeoutSeconds = c.idleSeconds;
            session.resourceTimeoutSeconds = c.wholeSeconds;
            return session;
        };
        QFile::remove(pendingFile);
        const PauseRecorder tries;
        config.retryPause = tries.pause();
        TelemetryService service(config);
        service.track("hanging");
        // Three tries, each ended by its limit, long before the answer would end.
        ASSERT_TRUE(waitUntil([&] { return tries.recorded().size() == 2 && !service.isDelivering(); }))
            << c.path;
        ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
        EXPECT_EQ(fileEventNames(), QStringList{"hanging"}) << c.path;
    }
    EXPECT_EQ(server.requests().size(), 9);
}

// Once the status line says 2xx the event is stored, whatever the body does after it: a record echoed past
// any answer's size, or a body that stalls after a few bytes. The event leaves the queue file at once, is
// posted once, the event behind it goes next, and no connection is left reading the body.
TEST_F(TelemetryServiceTest, A2xxIsADeliveryWhateverItsBodyDoes) {
    const struct {
        const char* path;
        LoopbackResponse answer;
    } cases[] = {
        {"/echo", {.status = 201, .body = QByteArray(20 * 1024, 'r')}},
        {"/stall", {.status = 200, .body = R"([{"id")", .chunkDelayMs = 60'000, .endless = true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::promise<void> release;
        std::promise<std::chrono::steady_clock::time_point> answered;
        std::shared_future<void> released = release.get_future().share();
        std::atomic<int> posts{0};
        server.route(c.path, [&, released](const LoopbackRequest&) {
            if (posts++ == 0) { // the first answer waits until its event is in the queue file
                released.wait();
                answered.set_value(std::chrono::steady_clock::now());
            }
            return c.answer;
        });
        TelemetryService service(configuration(server.url(c.path)));
        service.track("stored");
        service.track("behind");
        ASSERT_TRUE(waitUntil([&] {
            return posts == 1 && fileEventNames() == QStringList{"stored", "behind"};
        }));
        release.set_value();
        const auto answeredAt = answered.get_future().get();
        ASSERT_TRUE(waitUntil([&] { return !fileEventNames().contains("stored"); }));
        EXPECT_LT(std::chrono::steady_clock::now() - answeredAt, 1s);
        ASSERT_TRUE(waitUntil([&] { return posts == 2 && !service.isDelivering(); }));
        ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
        EXPECT_FALSE(QFile::exists(pendingFile));
        QList<LoopbackRequest> posted = server.requests();
        posted.removeIf([&](const LoopbackRequest& request) { return request.path != c.path; });
        EXPECT_EQ(wireNames(posted), (QStringList{"stored", "behind"}));
        EXPECT_TRUE(pauses.recorded().isEmpty());
        EXPECT_TRUE(waitUntil([&] { return server.answersInProgress() == 0; }));
    }
}

TEST_F(TelemetryServiceTest, ThePreviousRunsQueueGoesFirstAndNothingIsSentTwice) {
    // An earlier run left two events, of another version.
    QJsonArray earlier;
    for (const char* name : {"old_one", "old_two"})
        earlier.append(QJsonObject{{"sessionID", "0F8FAD5B-D9CB-469F-A165-70867728950E"},
                                   {"clientTimestamp", "2026-01-02T03:04:05.678Z"},
                                   {"appVersion", "1.0 (7)"},
                                   {"eventName", name},
                                   {"eventData", QJsonObject{{"v", 3.5}}}});
    fs->createDirectory(QFileInfo(pendingFile).absolutePath(), true);
    fs->writeData(QJsonDocument(earlier).toJson(), pendingFile);

    server.route(kPath, LoopbackResponse{.status = 200});
    TelemetryService service(configuration(server.url(kPath)));
    service.track("new_one");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 3 && !service.isDelivering(); }));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    EXPECT_FALSE(QFile::exists(pendingFile));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    EXPECT_EQ(server.requests().size(), 3);

    const auto requests = server.requests();
    EXPECT_EQ(wireNames(requests), (QStringList{"old_one", "old_two", "new_one"}));
    const QJsonObject old = wireRecord(requests.at(0));
    EXPECT_EQ(old.value("app_version").toString(), "1.0 (7)");
    EXPECT_EQ(old.value("client_timestamp").toString(), "2026-01-02T03:04:05.678Z");
    EXPECT_EQ(old.value("session_id").toString(), "0f8fad5b-d9cb-469f-a165-70867728950e");
    EXPECT_EQ(old.value("app_id").toString(), "qlan-brew"); // this run's
    EXPECT_EQ(old.value("run_context").toString(), "ci");
    EXPECT_EQ(JSONValue::fromJson(old.value("event_data")),
              JSONValue::object({{"v", JSONValue::floating(3.5)}}));
    EXPECT_EQ(wireRecord(requests.at(2)).value("app_version").toString(), "2.3 (41)");
}

TEST_F(TelemetryServiceTest, AnUnreadableQueueFileIsLoggedAndReplaced) {
    LogCapture log;
    fs->createDirectory(QFileInfo(pendingFile).absolutePath(), true);
    fs->writeData("[{\"eventName\": 3}]", pendingFile);
    server.route(kPath, LoopbackResponse{.status = 500});
    TelemetryService service(configuration(server.url(kPath)));
    (void)service.sessionID(); // started
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    ASSERT_EQ(LogCapture::captured().size(), 1);
    EXPECT_TRUE(LogCapture::captured().first().startsWith("Telemetry: couldn't load pending events: "));
    // Left alone until the queue is written again.
    EXPECT_EQ(fs->readData(pendingFile), QByteArray("[{\"eventName\": 3}]"));
    service.track("fresh");
    ASSERT_TRUE(waitUntil([&] { return fileEventNames() == QStringList{"fresh"}; }));
}

namespace {

// Everything at and below `path`, links not followed: each item's name and kind, a file's bytes, the
// name a link holds.
QStringList treeAt(const QString& path, const QString& name = ".") {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return {name + ": nothing"};
    if (S_ISLNK(st.st_mode)) return {name + ": link to " + QFile::symLinkTarget(path)};
    QFile file(path);
    if (S_ISREG(st.st_mode) && file.open(QIODevice::ReadOnly)) return {name + ": " + file.readAll()};
    QStringList items{name + (S_ISDIR(st.st_mode) ? ": folder" : ": other")};
    for (const QString& entry : QDir(path).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        items += treeAt(path + "/" + entry, name + "/" + entry);
    return items;
}

} // namespace

// A queue path that holds something other than a regular file is never read, removed or written
// through: the events are delivered from memory, and the log says once why the file is not used.
TEST_F(TelemetryServiceTest, AQueuePathThatIsNoFileIsLeftAloneAndTheEventsStayInMemory) {
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    const struct {
        const char* kind;
        std::function<bool(const QString& queue, const QString& elsewhere)> make;
        bool afterTheFirstTry = false; // else there before the service starts
    } cases[] = {
        {"a folder", [&](auto& queue, auto&) { return write(queue + "/kept.txt", "kept"); }},
        {"a symbolic link",
         [&](auto& queue, auto& elsewhere) {
             return write(elsewhere + "/kept.json", "[]") && QFile::link(elsewhere + "/kept.json", queue);
         }},
        {"a symbolic link",
         [&](auto& queue, auto& elsewhere) {
             return write(elsewhere + "/folder/kept.txt", "kept") &&
                    QFile::link(elsewhere + "/folder", queue);
         }},
        {"a symbolic link",
         [](auto& queue, auto& elsewhere) { return QFile::link(elsewhere + "/none", queue); }},
        {"neither a file nor a folder",
         [](auto& queue, auto&) { return ::mkfifo(QFile::encodeName(queue).constData(), 0600) == 0; }},
        {"a folder",
         [&](auto& queue, auto&) { return QFile::remove(queue) && write(queue + "/kept.txt", "kept"); },
         true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        const QString root = dir.filePath(QString("case-%1").arg(i));
        const QString queue = root + "/Quillane with Homebrew/pending-events.json";
        QDir().mkpath(QFileInfo(queue).absolutePath());
        QStringList before;
        const auto make = [&] {
            EXPECT_TRUE(c.make(queue, root + "/elsewhere"));
            before = treeAt(root);
        };
        if (!c.afterTheFirstTry) make();
        LogCapture log;
        const auto tries = std::make_shared<std::atomic<int>>(0);
        server.route(kPath, [tries](const LoopbackRequest&) {
            return LoopbackResponse{.status = ++*tries <= 3 ? 500 : 200};
        });
        const auto sent = server.requests().size();
        auto config = configuration(server.url(kPath));
        config.pendingFileURL = queue;
        TelemetryService service(config);
        // Three failed tries leave the queue to be written; a later event empties it.
        service.track("first");
        ASSERT_TRUE(waitUntil([&] { return *tries == 3 && !service.isDelivering(); }));
        ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
        if (c.afterTheFirstTry) make();
        service.track("second");
        ASSERT_TRUE(waitUntil([&] { return *tries == 5 && !service.isDelivering(); }));
        ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));

        EXPECT_EQ(wireNames(server.requests().mid(sent)),
                  (QStringList{"first", "first", "first", "first", "second"}));
        EXPECT_EQ(treeAt(root), before);
        EXPECT_EQ(LogCapture::captured(),
                  QStringList{
                      QString("Telemetry: couldn't %1 pending events: “%2” is %3, not a file, so events are "
                              "kept in memory only.")
                          .arg(c.afterTheFirstTry ? "persist" : "load", queue, c.kind)});
    }
}

TEST_F(TelemetryServiceTest, TrackingAndQueueWritesGoOnWhileARequestIsInFlight) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> answered{0};
    server.route(kPath, [&, released](const LoopbackRequest&) {
        if (answered++ == 0) released.wait(); // hold the first answer
        return LoopbackResponse{.status = 200};
    });
    TelemetryService service(configuration(server.url(kPath)));
    service.track("held");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
    for (int i = 0; i < 20; ++i)
        service.track(QString("queued_%1").arg(i));
    // Every event is in the file while the first request is still unanswered.
    ASSERT_TRUE(waitUntil([&] { return fileEventNames().size() == 21; }));
    EXPECT_EQ(server.requests().size(), 1);
    release.set_value();
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 21 && !service.isDelivering(); }));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    EXPECT_FALSE(QFile::exists(pendingFile));
    QStringList expected{"held"};
    for (int i = 0; i < 20; ++i)
        expected.append(QString("queued_%1").arg(i));
    EXPECT_EQ(wireNames(server.requests()), expected);
}

TEST_F(TelemetryServiceTest, AnEventThatCannotBeEncodedIsDroppedAndDoesNotBlockTheQueue) {
    LogCapture log;
    server.route(kPath, LoopbackResponse{.status = 200});
    TelemetryService service(configuration(server.url(kPath)));
    service.track("broken", {{"speed", JSONValue::floating(std::nan(""))}});
    service.track("fine");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1 && !service.isDelivering(); }));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    EXPECT_FALSE(QFile::exists(pendingFile));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    EXPECT_EQ(wireNames(server.requests()), QStringList{"fine"});
    EXPECT_TRUE(LogCapture::captured().contains(
        "Telemetry: dropping event broken whose properties cannot be encoded"))
        << LogCapture::captured().join("\n").toStdString();
}

TEST_F(TelemetryServiceTest, DisabledOrWithoutEndpointNothingIsRecorded) {
    server.route(kPath, LoopbackResponse{.status = 200});
    {
        auto config = configuration(QUrl());
        TelemetryService service(config);
        service.track("ignored");
        ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
        EXPECT_FALSE(QFile::exists(pendingFile));
        EXPECT_FALSE(store->string(SessionID::key(ProductConfig::current().userDefaultsPrefix))
                         .has_value()); // no identifier is even made
    }
    {
        auto config = configuration(server.url(kPath));
        config.disabled = true;
        TelemetryService service(config);
        service.track("ignored");
        ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
        EXPECT_FALSE(QFile::exists(pendingFile));
    }
    EXPECT_TRUE(server.requests().isEmpty());

    // Turned off, a queue left by an earlier run is still delivered.
    fs->createDirectory(QFileInfo(pendingFile).absolutePath(), true);
    fs->writeData(
        R"([{"sessionID":"0F8FAD5B-D9CB-469F-A165-70867728950E","clientTimestamp":"t","appVersion":"1",)"
        R"("eventName":"left_over","eventData":{}}])",
        pendingFile);
    auto config = configuration(server.url(kPath));
    config.disabled = true;
    TelemetryService service(config);
    service.track("ignored_too"); // starts the service all the same
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1 && !service.isDelivering(); }));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));
    EXPECT_FALSE(QFile::exists(pendingFile));
    EXPECT_EQ(wireNames(server.requests()), QStringList{"left_over"});
}

// A request that gets no answer until it is asked to stop.
class UnansweredRequests : public HTTPFetching {
public:
    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest&, std::stop_token stop) override {
        TelemetryService::sleepPause(std::chrono::hours(1), stop);
        throw TransportError("cancelled");
    }
    std::pair<QString, HTTPResponse> download(const QUrl&, std::stop_token) override {
        throw TransportError("unused");
    }
    ByteSample sampleBytes(const HTTPRequest&, qint64, double, std::stop_token) override {
        throw TransportError("unused");
    }
};

// The configuration of a child process below: its queue file and endpoint from the environment,
// requests that get no answer.
TelemetryService::Configuration childConfiguration() {
    TelemetryService::Configuration config;
    config.endpointURL = QUrl(qEnvironmentVariable("QLAN_TELEMETRY_CHILD_ENDPOINT"));
    config.appVersion = "2.3 (41)";
    config.appID = "qlan-brew";
    config.runContext = "ci";
    config.urlSessionFactory = [] {
        return TelemetryService::makeURLSession("k", std::make_shared<UnansweredRequests>());
    };
    config.kvStore =
        std::make_shared<LiveKeyValueStore>(qEnvironmentVariable("QLAN_TELEMETRY_CHILD_FILE") + ".ini");
    config.fs = std::make_shared<LiveFileSystem>();
    config.pendingFileURL = qEnvironmentVariable("QLAN_TELEMETRY_CHILD_FILE");
    return config;
}

// Run as a child process by the test below: tracks two events while the first request waits for its
// answer, and quits at once.
TEST(TelemetryChildProcess, TrackThenQuit) {
    if (!qEnvironmentVariableIsSet("QLAN_TELEMETRY_CHILD_FILE"))
        GTEST_SKIP() << "runs only as a child process";
    auto* service = new TelemetryService(childConfiguration()); // like the shared instance: never destroyed
    (void)service->sessionID(); // started, as the shared instance is long before a quit
    service->track("last_words", {{"n", JSONValue::integer(1)}});
    service->track("very_last_words", {{"n", JSONValue::integer(2)}});
    std::exit(0);
}

// Run as a child process by a test below: the process makes its first service only once it has run a
// while (as the application does when its first event comes late), tracks one event and ends at once as
// the application ends, its application object going first, while the service may still be starting on
// its own thread.
TEST(TelemetryChildProcess, FirstServiceLateThenExit) {
    if (!qEnvironmentVariableIsSet("QLAN_TELEMETRY_CHILD_FILE"))
        GTEST_SKIP() << "runs only as a child process";
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(20ms);
    auto* service = new TelemetryService(childConfiguration()); // like the shared instance: never destroyed
    service->track("late_words");
}

// Starts one of the child tests above with the queue file and the endpoint given.
std::unique_ptr<QProcess> startTelemetryChild(const QString& test, const QString& pendingFile,
                                              const QUrl& endpoint) {
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QLAN_TELEMETRY_CHILD_FILE", pendingFile);
    environment.insert("QLAN_TELEMETRY_CHILD_ENDPOINT", endpoint.toString());
    child->setProcessEnvironment(environment);
    child->setProcessChannelMode(QProcess::MergedChannels);
    child->start(QCoreApplication::applicationFilePath(), {"--gtest_filter=TelemetryChildProcess." + test});
    return child;
}

// Waits for a child started above; it must end by itself with status 0.
void expectCleanExit(QProcess& child) {
    ASSERT_TRUE(child.waitForFinished(patienceMs));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
}

TEST_F(TelemetryServiceTest, EventsTrackedJustBeforeTheProcessEndsAreInTheFile) {
    expectCleanExit(*startTelemetryChild("TrackThenQuit", pendingFile, server.url(kPath)));
    EXPECT_EQ(fileEventNames(), (QStringList{"last_words", "very_last_words"}));
}

// Fifty processes that make their first service late and end at once, eight at a time: each exits
// cleanly, whatever came first of the service's start and the exit, and leaves its event in its queue
// file (the sanitizer build runs this too).
TEST_F(TelemetryServiceTest, AProcessWhoseFirstServiceComesLateExitsCleanlyWithItsEvent) {
    constexpr int runs = 50;
    constexpr int atOnce = 8;
    for (int first = 0; first < runs; first += atOnce) {
        std::vector<std::pair<QString, std::unique_ptr<QProcess>>> children;
        for (int run = first; run < std::min(runs, first + atOnce); ++run) {
            const QString file = dir.filePath(QStringLiteral("late-%1.json").arg(run));
            children.emplace_back(file,
                                  startTelemetryChild("FirstServiceLateThenExit", file, server.url(kPath)));
        }
        for (auto& [file, child] : children) {
            SCOPED_TRACE(file.toStdString());
            expectCleanExit(*child);
            QFile written(file);
            ASSERT_TRUE(written.open(QIODevice::ReadOnly));
            const QJsonArray events = QJsonDocument::fromJson(written.readAll()).array();
            ASSERT_EQ(events.size(), 1);
            EXPECT_EQ(events.at(0).toObject().value("eventName").toString(), "late_words");
        }
    }
}

// A request whose answer, a success, arrives as the service ends: shortly after it is asked to stop,
// while the service is already finishing.
class AnsweredAtTheEnd : public UnansweredRequests {
public:
    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest&, std::stop_token stop) override {
        asked.set_value();
        TelemetryService::sleepPause(std::chrono::hours(1), stop);
        std::this_thread::sleep_for(200ms);
        HTTPResponse response;
        response.statusCode = 201;
        return {QByteArray(), response};
    }
    std::promise<void> asked;
};

TEST_F(TelemetryServiceTest, AnEventDeliveredAsTheServiceEndsIsNotSentAgainAtTheNextLaunch) {
    auto answered = std::make_shared<AnsweredAtTheEnd>();
    std::future<void> asked = answered->asked.get_future();
    auto config = configuration(server.url(kPath));
    config.urlSessionFactory = [answered] { return TelemetryService::makeURLSession("k", answered); };
    auto service = std::make_unique<TelemetryService>(config);
    service->track("answered_at_the_end");
    asked.wait();
    ASSERT_TRUE(waitUntil([&] { return fileEventNames() == QStringList{"answered_at_the_end"}; }));
    service.reset();
    EXPECT_FALSE(QFile::exists(pendingFile)) << fileEventNames().join(", ").toStdString();

    // The next launch finds nothing to send.
    server.route(kPath, LoopbackResponse{.status = 200});
    TelemetryService nextLaunch(configuration(server.url(kPath)));
    nextLaunch.track("next_launch");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1 && !nextLaunch.isDelivering(); }));
    ASSERT_TRUE(nextLaunch.waitForQueuedOperations(patienceMs));
    EXPECT_EQ(wireNames(server.requests()), QStringList{"next_launch"});
}

namespace {

// The threads that did file or store work.
class ThreadLog {
public:
    void add() {
        std::lock_guard lock(mutex_);
        threads_.insert(std::this_thread::get_id());
    }
    std::set<std::thread::id> threads() const {
        std::lock_guard lock(mutex_);
        return threads_;
    }

private:
    mutable std::mutex mutex_;
    std::set<std::thread::id> threads_;
};

class ThreadLoggingFileSystem : public qlan::test::ForwardingFileSystem {
public:
    ThreadLoggingFileSystem(std::shared_ptr<FileSystemOperating> inner, std::shared_ptr<ThreadLog> log)
        : ForwardingFileSystem(std::move(inner))
        , log_(std::move(log)) {}
    using ForwardingFileSystem::fileExists;
    bool fileExists(const QString& path) const override { return log_->add(), inner_->fileExists(path); }
    void createDirectory(const QString& path, bool intermediate) override {
        log_->add();
        inner_->createDirectory(path, intermediate);
    }
    void removeItem(const QString& path) override {
        log_->add();
        inner_->removeItem(path);
    }
    QByteArray readData(const QString& path) const override { return log_->add(), inner_->readData(path); }
    void writeData(const QByteArray& data, const QString& path) override {
        log_->add();
        inner_->writeData(data, path);
    }
    QString urlForDirectory(StandardDirectory which, bool create) override {
        log_->add();
        return inner_->urlForDirectory(which, create);
    }

private:
    std::shared_ptr<ThreadLog> log_;
};

class ThreadLoggingStore : public KeyValueStoring {
public:
    ThreadLoggingStore(std::shared_ptr<KeyValueStoring> inner, std::shared_ptr<ThreadLog> log)
        : inner_(std::move(inner))
        , log_(std::move(log)) {}
    void set(const QVariant& value, const QString& key) override {
        log_->add();
        inner_->set(value, key);
    }
    std::optional<QString> string(const QString& key) const override {
        return log_->add(), inner_->string(key);
    }
    bool boolValue(const QString& key) const override { return log_->add(), inner_->boolValue(key); }

private:
    std::shared_ptr<KeyValueStoring> inner_;
    std::shared_ptr<ThreadLog> log_;
};

} // namespace

TEST_F(TelemetryServiceTest, TheCallerDoesNoFileWorkNotEvenForTheFirstTrack) {
    server.route(kPath, LoopbackResponse{.status = 201});
    qlan::test::Sandbox sandbox;
    const auto log = std::make_shared<ThreadLog>();
    AppServices services = sandbox.services();
    services.fs = std::make_shared<ThreadLoggingFileSystem>(services.fs, log);
    services.store = std::make_shared<ThreadLoggingStore>(services.store, log);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    // As the shared service is made: from the current edition, the version from the bundle included.
    TelemetryService service([&, released] {
        log->add();
        released.wait();
        return editionTelemetryConfiguration(services, server.url(kPath), "key");
    });
    service.track("first_of_the_process"); // returns while the configuration is still being made
    release.set_value();
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1 && !service.isDelivering(); }));
    ASSERT_TRUE(service.waitForQueuedOperations(patienceMs));

    EXPECT_EQ(wireNames(server.requests()), QStringList{"first_of_the_process"});
    EXPECT_EQ(wireRecord(server.requests().first()).value("session_id").toString(),
              SessionID::canonicalText(service.sessionID()).toLower());
    EXPECT_GE(log->threads().size(), 1u);
    EXPECT_FALSE(log->threads().contains(std::this_thread::get_id()));
}

TEST(TelemetryConfiguration, OnlyAnHttpsOriginHasARecordsEndpoint) {
    const std::pair<QString, QString> cases[] = {
        {"https://records.example", "https://records.example/api/database/records/usage_events"},
        {"https://records.example:8443", "https://records.example:8443/api/database/records/usage_events"},
        {"", ""},
        {"http://records.example", ""},
        {"ftp://records.example", ""},
        {"https://", ""},
        {"https://records.example/api", ""},
        {"https://user@records.example", ""},
        {"https://records.example?x=1", ""},
        {"records.example", ""},
    };
    for (const auto& [origin, endpoint] : cases)
        EXPECT_EQ(TelemetryService::recordsEndpointURL(origin), QUrl(endpoint)) << origin.toStdString();
}

TEST(TelemetryConfiguration, URLSessionAndVersionText) {
    const auto session = TelemetryService::makeURLSession("abc", nullptr);
    EXPECT_EQ(session.additionalHeaders,
              (HTTPHeaders{{"Content-Type", "application/json"}, {"Authorization", "Bearer abc"}}));
    EXPECT_EQ(session.requestTimeoutSeconds, 15.0);
    EXPECT_EQ(session.resourceTimeoutSeconds, 30.0);
    EXPECT_EQ(TelemetryService::appVersionString(std::nullopt, std::nullopt), "0.0 (0)");
    EXPECT_EQ(TelemetryService::appVersionString(QString("2.3"), QString("41")), "2.3 (41)");
    // This test program has no application bundle.
    EXPECT_EQ(TelemetryService::appVersionString(), "0.0 (0)");

    // A bundle's Info.plist gives both values; a missing one gives its placeholder.
    qlan::test::Sandbox sandbox;
    const auto plist = [](const QString& entries) {
        return QByteArray(
                   R"(<?xml version="1.0" encoding="UTF-8"?>)"
                   R"(<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">)"
                   "<plist version=\"1.0\"><dict>") +
               entries.toUtf8() + "</dict></plist>";
    };
    const QString info = "/Applications/Quillane.app/Contents/Info.plist";
    sandbox.writeFile(info, plist("<key>CFBundleShortVersionString</key><string>2.3</string>"
                                  "<key>CFBundleVersion</key><string>41</string>"));
    EXPECT_EQ(TelemetryService::appVersionString(*sandbox.services().fs, sandbox.map(info)), "2.3 (41)");
    sandbox.writeFile(info, plist("<key>CFBundleShortVersionString</key><string>2.3</string>"
                                  "<key>CFBundleVersion</key><integer>41</integer>"));
    EXPECT_EQ(TelemetryService::appVersionString(*sandbox.services().fs, sandbox.map(info)), "2.3 (0)");
    EXPECT_EQ(TelemetryService::appVersionString(*sandbox.services().fs, sandbox.map("/nowhere/Info.plist")),
              "0.0 (0)");
}

namespace {

using test::ScopedVariable;

// The sandbox's file system without an Application Support folder.
class NoApplicationSupport : public qlan::test::ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    QString urlForDirectory(StandardDirectory, bool) override { throw PlatformError("no such folder", 2); }
};

} // namespace

TEST(TelemetryConfiguration, FromTheCurrentEditionAndTheEnvironment) {
    qlan::test::Sandbox sandbox;
    const QUrl endpoint("https://records.invalid/api/database/records/usage_events");
    {
        ScopedVariable context("QLAN_RUN_CONTEXT", std::nullopt);
        ScopedVariable disabled("QLAN_TELEMETRY_DISABLED", std::nullopt);
        const auto config = editionTelemetryConfiguration(sandbox.services(), endpoint, "key");
        EXPECT_EQ(config.endpointURL, endpoint);
        EXPECT_EQ(config.anonKey, "key");
        EXPECT_EQ(config.appID, ProductConfig::current().appID);
        EXPECT_EQ(config.appVersion, "0.0 (0)");
        EXPECT_EQ(config.runContext, "release");
        EXPECT_FALSE(config.disabled);
        EXPECT_EQ(config.pendingFileURL, sandbox.home() + "/Library/Application Support/" +
                                             ProductConfig::current().appSupportDirName +
                                             "/pending-events.json");
        EXPECT_EQ(config.kvStore, sandbox.services().store);
        EXPECT_EQ(config.urlSessionFactory().additionalHeaders.value(1).second, "Bearer key");
    }
    {
        ScopedVariable context("QLAN_RUN_CONTEXT", QByteArray());
        ScopedVariable disabled("QLAN_TELEMETRY_DISABLED", "1");
        const auto config = editionTelemetryConfiguration(sandbox.services(), endpoint, "key");
        EXPECT_EQ(config.runContext, "");
        EXPECT_TRUE(config.disabled);
    }
    for (const char* value : {"true", "yes", "0", "", "1 "}) {
        ScopedVariable disabled("QLAN_TELEMETRY_DISABLED", QByteArray(value));
        EXPECT_FALSE(editionTelemetryConfiguration(sandbox.services(), endpoint, "key").disabled) << value;
    }
    // Without Application Support the queue file lives under the temporary folder.
    NoApplicationSupport noSupport(sandbox.services().fs);
    EXPECT_EQ(TelemetryService::pendingFileURL(noSupport, "Quillane with Homebrew"),
              sandbox.services().fs->temporaryDirectory() + "/Quillane with Homebrew/pending-events.json");

    // Without an endpoint no queue file is named, so nothing can ever be written.
    EXPECT_TRUE(editionTelemetryConfiguration(sandbox.services(), QUrl(), "").pendingFileURL.isEmpty());
}
