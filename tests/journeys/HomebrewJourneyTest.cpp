// The Homebrew edition on a bare Mac, from the consent screen to the end of the guided setup.

#include "JourneyFixture.h"

#include "support/Wait.h"
#include "setup/SetupActionBatch.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/setup/SetupWorkflowView.h"

#include <QTest>

#include <iostream>

using namespace qlan;
using namespace qlan::test;

namespace {

class HomebrewJourney : public JourneyTest {
protected:
    HomebrewJourney() {
        journeyName_ = QStringLiteral("homebrew");
        sandbox_.writeStub(QStringLiteral("/usr/bin/uname"), StubSpec().withStdOut("arm64\n"));
        // xcode-select answers from the sandbox's folder, so that it tells the truth after the install.
        const QString clt = sandbox_.map(QStringLiteral("/Library/Developer/CommandLineTools"));
        sandbox_.writeStub(QStringLiteral("/usr/bin/xcode-select"),
                           StubSpec().withScript(QStringLiteral("[ -d '%1' ] || { echo 'xcode-select: error: unable to "
                                                                "get active developer directory' >&2; exit 2; }\n"
                                                                "echo /Library/Developer/CommandLineTools\n")
                                                     .arg(clt)));
        // sudo plays the privileged Command Line Tools install: the folder and its clang appear.
        sandbox_.writeStub(QStringLiteral("/usr/bin/sudo"),
                           StubSpec().withStdOut("Software Update Tool\nInstalling Command Line Tools for Xcode\n")
                               .withScript(QStringLiteral("/bin/mkdir -p '%1/usr/bin' && /usr/bin/touch '%1/usr/bin/clang'\n").arg(clt)));
        sandbox_.linkSystemProgram(QStringLiteral("/bin/zsh"));
        sandbox_.linkSystemProgram(QStringLiteral("/usr/bin/which"));
        // The real bash runs the install commands; curl fetches every https address from the loopback
        // server instead (https://host/path -> http://127.0.0.1:port/host/path).
        sandbox_.linkSystemProgram(QStringLiteral("/bin/bash"));
        sandbox_.writeStub(QStringLiteral("/usr/bin/curl"),
                           StubSpec().withScript(QStringLiteral(
                               "args=()\nfor a in \"$@\"; do case \"$a\" in https://*) a=\"%1/${a#https://}\";; esac; "
                               "args+=(\"$a\"); done\nexec /usr/bin/curl \"${args[@]}\"\n")
                                                     .arg(QStringLiteral("http://127.0.0.1:%1").arg(web_.port()))));
        // Homebrew's install script puts the brew program of this Mac in place.
        sandbox_.writeStub(QStringLiteral("/.journey/brew"), brewSpec());
        web_.route(QStringLiteral("/raw.githubusercontent.com/Homebrew/install/HEAD/install.sh"),
                   LoopbackResponse{200, {}, QStringLiteral("echo '==> Downloading and installing Homebrew...'\n"
                                                            "/bin/mkdir -p '%1' && /bin/cp '%2' '%1/brew'\n"
                                                            "echo '==> Installation successful!'\n")
                                                 .arg(sandbox_.map(QStringLiteral("/opt/homebrew/bin")),
                                                      sandbox_.map(QStringLiteral("/.journey/brew")))
                                                 .toUtf8()});
    }
    // brew: its version, its shell environment, and casks and formulae that appear where a Mac has them.
    StubSpec brewSpec() const {
        return StubSpec().withScript(
            QStringLiteral("case \"$1\" in\n"
                           "  --version) echo 'Homebrew 4.4.0';;\n"
                           "  shellenv) echo 'export PATH=\"%1:$PATH\"';;\n"
                           "  install) echo \"==> Installing ${@: -1}\"; /bin/mkdir -p '%2/'\"${@: -1}\";;\n"
                           "esac\n")
                .arg(sandbox_.map(QStringLiteral("/opt/homebrew/bin")), sandbox_.map(QStringLiteral("/.journey/installed"))));
    }
    SetupWorkflowView* setup() const { return root_->findChild<SetupWorkflowView*>(); }
    QString step() const {
        return setup() && setup()->currentPage() ? setup()->currentPage()->objectName() : QString();
    }
};

} // namespace

TEST_F(HomebrewJourney, BareMacThroughEveryStage) {
    openApp();
    capture(QStringLiteral("consent"));
    click(QStringLiteral("consent-continue"));
    capture(QStringLiteral("welcome"));
    click(QStringLiteral("welcome-diagnose-button"));
    ASSERT_NE(setup(), nullptr);
    setup()->model()->volumeCapacity = [](const QString&) { return std::optional<qint64>(500'000'000'000); };
    ASSERT_TRUE(waitUntil([&] { return step() == "setup-diagnosis-summary"; }, 15000)) << step().toStdString();
    capture(QStringLiteral("summary"));
    click(QStringLiteral("diagnosis-continue"));
    ASSERT_TRUE(waitUntil([&] { return step() == "setup-stage"; }, 15000)) << step().toStdString();
    capture(QStringLiteral("clt"));
    clickIn(QStringLiteral("clt"));
    ASSERT_TRUE(waitForSheetEnd());
    capture(QStringLiteral("clt-installed"));
    click(QStringLiteral("setup-action-continue"));
    ASSERT_TRUE(waitUntil([&] { return setup()->model()->step().domainID == "homebrew"; }, 15000)) << step().toStdString();
    capture(QStringLiteral("homebrew"));
    clickIn(QStringLiteral("homebrew"));
    ASSERT_TRUE(waitForSheetEnd());
    capture(QStringLiteral("homebrew-installed"));
    std::cerr << sheetBatch()->lines().join("\n").toStdString() << "\n";
    for (const auto& r : web_.requests()) std::cerr << r.target.toStdString() << "\n";
    click(QStringLiteral("setup-action-continue"));
    ASSERT_TRUE(waitUntil([&] { return setup()->model()->step().domainID == "warp"; }, 15000)) << step().toStdString();
    capture(QStringLiteral("terminal"));
    ADD_FAILURE() << visibleButtons().join("\n").toStdString() << "\n" << visibleTexts().join("\n").toStdString();
}
