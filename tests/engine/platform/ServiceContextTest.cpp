// The scoped context that hands the services and the optional profile down a QObject tree.

#include "platform/ServiceContext.h"

#include "platform/LiveFileSystem.h"
#include "platform/LiveKeyValueStore.h"
#include "platform/LiveProcessRunner.h"
#include "support/Sandbox.h"

#include <QObject>

#include <gmock/gmock.h>

using namespace qlan;

namespace {

SystemProfile profileWithShell(Shell shell) {
    SystemProfile profile;
    profile.architecture = Architecture::appleSilicon;
    profile.shell = std::move(shell);
    return profile;
}

} // namespace

TEST(ServiceContextTest, WithoutAnAncestorTheLiveServicesAreUsedBuiltOnce) {
    QObject root;
    QObject child(&root);
    const AppServices first = ServiceContext::services(&child);
    const AppServices second = ServiceContext::services(&root);
    const AppServices orphan = ServiceContext::services(nullptr);

    ASSERT_TRUE(first.processRunner && first.http && first.fs && first.store);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, orphan);
    EXPECT_EQ(first, AppServices::live());
    EXPECT_EQ(first.fs.get(), AppServices::live().fs.get()); // the same objects, not equal copies
    EXPECT_EQ(first.processRunner.get(), AppServices::live().processRunner.get());
    EXPECT_FALSE(first.isFixtureMode);
    EXPECT_NE(dynamic_cast<LiveFileSystem*>(first.fs.get()), nullptr);
    EXPECT_NE(dynamic_cast<LiveKeyValueStore*>(first.store.get()), nullptr);
    EXPECT_NE(dynamic_cast<LiveProcessRunner*>(first.processRunner.get()), nullptr);
}

TEST(ServiceContextTest, TheNearestAncestorWins) {
    qlan::test::Sandbox outerSandbox;
    qlan::test::Sandbox innerSandbox;
    AppServices fixture = innerSandbox.services();
    fixture.isFixtureMode = true;

    QObject window;
    QObject screen(&window);
    QObject row(&screen);
    QObject sibling(&window);
    ServiceContext::setServices(&window, outerSandbox.services());
    ServiceContext::setServices(&screen, fixture);

    EXPECT_EQ(ServiceContext::services(&window), outerSandbox.services());
    EXPECT_EQ(ServiceContext::services(&sibling), outerSandbox.services());
    EXPECT_EQ(ServiceContext::services(&screen), fixture);
    EXPECT_EQ(ServiceContext::services(&row), fixture);
    EXPECT_TRUE(ServiceContext::services(&row).isFixtureMode);
    EXPECT_EQ(ServiceContext::services(&row).fs->homeDirectory(), innerSandbox.home());

    // Setting again replaces the value of that scope only.
    ServiceContext::setServices(&screen, outerSandbox.services());
    EXPECT_EQ(ServiceContext::services(&row), outerSandbox.services());

    // A subtree moved under another parent takes that parent's values.
    QObject elsewhere;
    row.setParent(&elsewhere);
    EXPECT_EQ(ServiceContext::services(&row), AppServices::live());
    row.setParent(&screen);

    // Values live with their scope: a child never sees a destroyed ancestor's value.
    {
        QObject temporary;
        ServiceContext::setServices(&temporary, fixture);
        QObject inside(&temporary);
        EXPECT_EQ(ServiceContext::services(&inside), fixture);
    }
    EXPECT_EQ(ServiceContext::services(&sibling), outerSandbox.services());
}

TEST(ServiceContextTest, TheProfileIsAbsentUntilSetAndTheNearestSettingWins) {
    QObject window;
    QObject screen(&window);
    QObject row(&screen);
    EXPECT_EQ(ServiceContext::systemProfile(&row), std::nullopt);
    EXPECT_EQ(ServiceContext::systemProfile(nullptr), std::nullopt);

    // Services set on a scope do not make a profile appear.
    qlan::test::Sandbox sandbox;
    ServiceContext::setServices(&screen, sandbox.services());
    EXPECT_EQ(ServiceContext::systemProfile(&row), std::nullopt);

    const SystemProfile zsh = profileWithShell(Shell::zsh());
    const SystemProfile fish = profileWithShell(Shell::fish());
    ServiceContext::setSystemProfile(&window, zsh);
    EXPECT_EQ(ServiceContext::systemProfile(&row), zsh);
    ServiceContext::setSystemProfile(&screen, fish);
    EXPECT_EQ(ServiceContext::systemProfile(&row), fish);
    EXPECT_EQ(ServiceContext::systemProfile(&window), zsh);

    // An explicitly absent profile on a nearer scope hides the one above it.
    ServiceContext::setSystemProfile(&screen, std::nullopt);
    EXPECT_EQ(ServiceContext::systemProfile(&row), std::nullopt);
    EXPECT_EQ(ServiceContext::systemProfile(&window), zsh);

    // Setting a profile does not disturb the services of the same scope.
    EXPECT_EQ(ServiceContext::services(&row), sandbox.services());
}
