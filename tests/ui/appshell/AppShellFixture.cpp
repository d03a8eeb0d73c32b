#include "AppShellFixture.h"

#include "support/Wait.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QWidget>

namespace qlan::test {

ScopedEdition::ScopedEdition(const ProductConfig& edition)
    : previous_(ProductConfig::current()) {
    ProductConfig::setCurrent(edition);
}

ScopedEdition::~ScopedEdition() {
    ProductConfig::setCurrent(previous_);
}

AppShellTest::AppShellTest()
    : edition_(ProductConfig::homebrewEdition()) {
    server_.route(QStringLiteral("/api/database/records/usage_events"), LoopbackResponse{.status = 201});
    // The probe's commands: an Apple Silicon Mac with the Command Line Tools.
    StubSpec uname;
    uname.stdOut = QStringLiteral("arm64\n");
    sandbox_.writeStub(QStringLiteral("/usr/bin/uname"), uname);
    StubSpec xcodeSelect;
    xcodeSelect.stdOut = QStringLiteral("/Library/Developer/CommandLineTools\n");
    sandbox_.writeStub(QStringLiteral("/usr/bin/xcode-select"), xcodeSelect);
    sandbox_.makeDirectory(QStringLiteral("/Library/Developer/CommandLineTools/usr/bin"));
}

AppShellTest::~AppShellTest() = default;

QString AppShellTest::consentKey() {
    return ProductConfig::current().userDefaultsPrefix + QStringLiteral(".consented");
}

AppServices AppShellTest::fixtureServices() const {
    AppServices services = sandbox_.services();
    services.isFixtureMode = true;
    return services;
}

std::unique_ptr<TelemetryService> AppShellTest::makeTelemetry(bool disabled) {
    auto configuration = TelemetryService::Configuration::fromCurrentEdition(
        sandbox_.services(), server_.url(QStringLiteral("/api/database/records/usage_events")),
        QStringLiteral("test-key"));
    configuration.disabled = disabled;
    return std::make_unique<TelemetryService>(std::move(configuration));
}

QList<ReceivedEvent> AppShellTest::receivedEvents() const {
    QList<ReceivedEvent> events;
    for (const LoopbackRequest& request : server_.requests()) {
        const QJsonArray body = QJsonDocument::fromJson(request.body).array();
        for (const auto& entry : body) {
            const QJsonObject object = entry.toObject();
            events.append({object.value(QStringLiteral("event_name")).toString(),
                           object.value(QStringLiteral("event_data")).toObject()});
        }
    }
    return events;
}

bool AppShellTest::waitForEvents(qsizetype count, int timeoutMs) const {
    return waitUntil([&] { return receivedEvents().size() >= count; }, timeoutMs);
}

void AppShellTest::showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

void AppShellTest::settle(int ms) {
    waitUntil([] { return false; }, ms);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace qlan::test
