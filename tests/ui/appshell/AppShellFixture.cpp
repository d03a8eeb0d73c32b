#include "AppShellFixture.h"

#include "support/Wait.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

namespace qlan::test {

AppShellTest::AppShellTest()
    : edition_(ProductConfig::homebrewEdition()) {
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
    return endpoint_.makeService(sandbox_.services(), disabled);
}

QList<ReceivedEvent> AppShellTest::receivedEvents() const {
    return endpoint_.receivedEvents();
}

bool AppShellTest::waitForEvents(qsizetype count, int timeoutMs) const {
    return endpoint_.waitForEvents(count, timeoutMs);
}

void AppShellTest::showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(waitForWindowActive(window));
}

void AppShellTest::settle(int ms) {
    if (ms > 0) waitUntil([] { return false; }, ms);
    EXPECT_TRUE(waitForQueuedCalls());
}

} // namespace qlan::test
