// The special stages' pickers on screen: inside the setup screen over a scripted edition (each kind shows
// its picker, ticks survive from visit to visit, a batch opens the sheet), and each picker's own
// controls: the folder chooser through the recording desktop, the masked key field, the Git form.

#include "ui/setup/SetupPickers.h"
#include "platform/ServiceContext.h"
#include "support/CurrentEdition.h"
#include "support/ForwardingFileSystem.h"
#include "support/Gate.h"
#include "support/KeyboardWalk.h"
#include "support/PersonClick.h"
#include "support/RecordingDesktopActions.h"
#include "support/Sandbox.h"
#include "support/ScreenCapture.h"
#include "support/ScriptedEdition.h"
#include "support/ScriptedRemediationRunner.h"
#include "support/SelectableTexts.h"
#include "support/SetupFlowPrinters.h"
#include "support/TelemetryRecorder.h"
#include "support/Wait.h"
#include "ui/setup/SetupActionProgressView.h"
#include "ui/setup/SetupWorkflowView.h"
#include "ui/widgets/LinkLabel.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>

#include <utility>

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using namespace qlan::test::verdicts;

namespace {

using Step = SetupFlowModel::Step;
using SR = SetupRemediation;
using Batch = SetupFlowModel::PendingInstall;

template <typename W = QWidget> W* find(const QWidget* root, const QString& name) {
    auto* widget = root->findChild<W*>(name);
    if (!widget) ADD_FAILURE() << "no widget " << name.toStdString();
    return widget;
}

// Shown and not hidden by an ancestor.
bool shown(const QWidget* widget) {
    return widget && widget->isVisible();
}

// The picker has read what the Mac has (its spinner is gone).
bool loaded(const QWidget* picker) {
    return waitUntil([picker] { return !picker->findChild<QWidget*>("picker-loading"); });
}

// The sandbox's files, whose lookups off the GUI thread (a picker's reading of the Mac) wait at `lookups`.
class HeldFileSystem : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    bool fileExists(const QString& path) const override {
        pass();
        return ForwardingFileSystem::fileExists(path);
    }
    bool fileExists(const QString& path, bool* isDirectory) const override {
        pass();
        return ForwardingFileSystem::fileExists(path, isDirectory);
    }
    Gate lookups;

private:
    void pass() const {
        if (QThread::currentThread() != QCoreApplication::instance()->thread()) lookups.pass();
    }
};

class SetupPickersTest : public ::testing::Test {
protected:
    SetupPickersTest() {
        const QStringList domains{"apps", "languages", "project", "skills", "mcp", "git"};
        QList<WorkflowStep> steps;
        for (const QString& domain : domains)
            steps.append(scriptedStep(domain, fixable, optional));
        edition_.spine->setSteps(steps);
        edition_.spine->setRemediations("apps", {SR::installZed(), SR::installVSCode()});
        edition_.spine->setRemediations("project", {SR::createProject(ProjectTemplate::simple)});
        using P = SpineRenderPolicy;
        edition_.policy.specialStages = {
            {"apps", P::CaskMultiselect{"Install editors",
                                        "install-editors",
                                        {{"Zed", SR::installZed().id(), "cask-zed"},
                                         {"Warp", SR::installWarp().id(), "cask-warp"},
                                         {"VS Code", SR::installVSCode().id(), "cask-vscode"}}}},
            {"languages", P::LanguagesMultiselect{}},
            {"project", P::ProjectActions{}},
            {"skills", P::SkillsMultiselect{}},
            {"mcp", P::McpMultiselect{}},
            {"git", P::GitActions{}},
        };
        for (const QString& domain : domains)
            edition_.policy.homebrewIndependentDomains.insert(domain);
        current_ = std::make_unique<CurrentEdition>(edition_.config());
        sandbox_.makeDirectory(sandbox_.home() + "/.claude");
        AppServices services = sandbox_.services();
        services.isFixtureMode = true;
        services.fs = files_;
        ServiceContext::setSystemProfile(&window_, SystemProfile{});
        DesktopActions::install(&window_, desktop_);
        view_ = new SetupWorkflowView(services, edition_.config(), telemetry_.service());
        view_->setRunnerFactory([this](const AppServices&) {
            return [runner = runner_](const SR& remediation, const QString& reason) {
                return runner.run(remediation, reason);
            };
        });
        (new QVBoxLayout(&window_))->addWidget(view_);
        window_.resize(800, 760);
    }

    void start() {
        window_.show();
        ASSERT_TRUE(waitUntil([&] { return view_->model()->step() == Step::diagnosisSummary(); }));
    }
    // The picker of a stage, once it has read what the Mac already has.
    QWidget* stage(const QString& domain) {
        view_->model()->setStep(Step::stage(domain));
        QWidget* picker = find(view_->currentPage(), "setup-stage-picker");
        EXPECT_TRUE(loaded(picker));
        return picker;
    }

    ScriptedEdition edition_;
    std::unique_ptr<CurrentEdition> current_;
    Sandbox sandbox_;
    std::shared_ptr<HeldFileSystem> files_ = std::make_shared<HeldFileSystem>(sandbox_.services().fs);
    TelemetryRecorder telemetry_{sandbox_.services()};
    ScriptedRemediationRunner runner_;
    std::shared_ptr<RecordingDesktopActions> desktop_ = std::make_shared<RecordingDesktopActions>();
    QWidget window_;
    SetupWorkflowView* view_;
};

TEST_F(SetupPickersTest, EverySpecialStageShowsItsPickerAndTicksOutliveTheStage) {
    start();
    EXPECT_TRUE(qobject_cast<CasksPicker*>(stage("apps")));
    EXPECT_TRUE(qobject_cast<LanguagesPicker*>(stage("languages")));
    EXPECT_TRUE(qobject_cast<ProjectActions*>(stage("project")));
    EXPECT_TRUE(qobject_cast<MCPPicker*>(stage("mcp")));
    EXPECT_TRUE(qobject_cast<GitSetupForm*>(stage("git")));

    // While the installed skills are read, the picker shows a spinner, no rows and no way to add.
    view_->model()->setStep(Step::stage("skills"));
    QWidget* skills = find(view_->currentPage(), "setup-stage-picker");
    ASSERT_TRUE(qobject_cast<SkillsPicker*>(skills));
    EXPECT_TRUE(shown(find(skills, "picker-loading")));
    EXPECT_TRUE(skills->findChildren<QCheckBox*>().isEmpty());
    EXPECT_FALSE(find<QPushButton>(skills, "add-skills")->isEnabled());
    ASSERT_TRUE(loaded(skills));
    auto* preselected = find<QCheckBox>(skills, "skill-avoid-ai-writing");
    EXPECT_TRUE(preselected->isChecked());
    EXPECT_TRUE(find<QPushButton>(skills, "add-skills")->isEnabled());
    saveScreenshot(&window_, "setup-picker-skills");
    preselected->click();
    EXPECT_FALSE(find<QPushButton>(skills, "add-skills")->isEnabled());

    QWidget* apps = stage("apps");
    EXPECT_TRUE(find<QCheckBox>(apps, "cask-zed")->isChecked());
    EXPECT_FALSE(find<QCheckBox>(apps, "cask-warp")->isEnabled());
    EXPECT_EQ(find<QLabel>(apps, "cask-warp-installed")->text(), "Already installed");
    // A check box takes a click on its box and title only: the empty width beside them is no part of it.
    auto* zed = find<QCheckBox>(apps, "cask-zed");
    ASSERT_GT(zed->width(), 4 * zed->sizeHint().width());
    QTest::mouseClick(zed, Qt::LeftButton, {}, QPoint(zed->width() - 3, zed->height() / 2));
    EXPECT_TRUE(zed->isChecked());
    zed->click();
    saveScreenshot(&window_, "setup-picker-apps");

    skills = stage("skills"); // shown again: not ticked a second time
    EXPECT_FALSE(find<QCheckBox>(skills, "skill-avoid-ai-writing")->isChecked());
    apps = stage("apps");
    EXPECT_FALSE(find<QCheckBox>(apps, "cask-zed")->isChecked());

    find<QPushButton>(apps, "install-editors")->click();
    EXPECT_EQ(view_->model()->pendingInstall(),
              (Batch{"install-editors", "Install editors", {SR::installVSCode()}, true}));
    ASSERT_TRUE(view_->sheet());
    EXPECT_EQ(view_->sheet()->windowTitle(), "Install editors");
}

// A batch of any special stage ends with success while the Mac is checked again slowly: meanwhile every
// button of the stage (its picker's and Skip) shows disabled and starts nothing however pressed; then the
// flow moves on.
TEST_F(SetupPickersTest, WhileTheMacIsCheckedAfterABatchNoButtonOfTheStageActs) {
    start();
    const QStringList domains{"apps", "languages", "project", "skills", "mcp", "git"};
    for (qsizetype at = 0; at < domains.size(); ++at) {
        SCOPED_TRACE(domains[at].toStdString());
        stage(domains[at]);
        edition_.prober->hold();
        ASSERT_TRUE(view_->model()->request({domains[at], domains[at], {SR::installUv()}, false}));
        ASSERT_TRUE(waitUntil([&] { return view_->sheetView()->batch()->hasEnded(); }));
        clickAsAPerson(view_->sheet()->findChild<QPushButton*>("setup-action-continue"));
        ASSERT_TRUE(view_->model()->isRefreshing());
        const auto shownButtons = [&] {
            QList<QPushButton*> buttons = view_->currentPage()->findChildren<QPushButton*>();
            buttons.removeIf([](const QPushButton* button) { return !button->isVisible(); });
            return buttons;
        };
        ASSERT_TRUE(waitUntil([&] { return !shownButtons().isEmpty(); })); // the stage's content anew
        saveScreenshot(&window_, "setup-refreshing-" + domains[at]);
        int pressed = 0;
        for (QPushButton* button : shownButtons()) {
            EXPECT_FALSE(button->isEnabled()) << button->text().toStdString();
            pressEveryWay(button);
            ++pressed;
        }
        EXPECT_GE(pressed, 2); // the picker's own and Skip
        ASSERT_TRUE(waitForQueuedCalls());
        EXPECT_FALSE(view_->sheet());
        EXPECT_FALSE(view_->model()->pendingInstall());
        EXPECT_EQ(view_->model()->step(), Step::stage(domains[at]));
        edition_.prober->release();
        const Step next = at + 1 < domains.size() ? Step::stage(domains[at + 1]) : Step::outcome();
        ASSERT_TRUE(waitUntil([&] { return view_->model()->step() == next; }));
    }
}

TEST_F(SetupPickersTest, LanguagesOnScreen) {
    sandbox_.makeDirectory(sandbox_.home() + "/.local/share/mise/installs/node/22");
    sandbox_.makeDirectory(sandbox_.home() + "/.pyenv/versions/3.12");
    start();
    QWidget* picker = stage("languages");
    auto* install = find<QPushButton>(picker, "install-languages");
    EXPECT_FALSE(install->isEnabled());
    EXPECT_FALSE(find<QCheckBox>(picker, "lang-node")->isEnabled());
    EXPECT_EQ(find<QLabel>(picker, "lang-note-node")->text(), "already set up (mise)");
    auto* python = find<QLabel>(picker, "lang-note-python");
    EXPECT_EQ(python->text(), "managed by pyenv — installing ours may conflict");
    EXPECT_TRUE(python->property("warning").toBool());
    // A screen reader hears the caption with its checkbox.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(find<QCheckBox>(picker, "lang-python"))
                  ->text(QAccessible::Description),
              python->text());
    EXPECT_FALSE(shown(find<QLabel>(picker, "lang-note-rust")));

    find<QCheckBox>(picker, "lang-rust")->click();
    find<QCheckBox>(picker, "lang-python")->click();
    saveScreenshot(&window_, "setup-picker-languages");
    runner_.script(SR::installUv().id(), ScriptedJob::runningUntilStopped());
    install->click();
    EXPECT_EQ(view_->model()->pendingInstall(),
              (Batch{"languages",
                     "Install languages",
                     {SR::installUv(), SR::installMise(), SR::installRustViaMise()},
                     true}));

    // Rust went in before the batch was cancelled: the rows are checked again at once.
    sandbox_.writeFile(sandbox_.home() + "/.cargo/bin/rustc", "");
    ASSERT_TRUE(view_->sheet());
    QTest::keyClick(view_->sheet(), Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return !view_->model()->pendingInstall(); }));
    const auto rustCaption = [&] {
        for (const QLabel* label : view_->currentPage()->findChildren<QLabel*>("lang-note-rust"))
            if (label->isVisible()) return label->text();
        return QString();
    };
    EXPECT_TRUE(waitUntil([&] { return rustCaption() == "already set up (rustup)"; }))
        << rustCaption().toStdString();
    // The caption came into the standing screen: once the sheet has gone, it is copied as any text.
    ASSERT_TRUE(waitUntil([&] { return !view_->sheet(); }));
    EXPECT_TRUE(copiesAsAPerson(textShowing(view_->currentPage(), rustCaption()),
                                find<QCheckBox>(view_->currentPage(), "lang-python")));
}

TEST_F(SetupPickersTest, ProjectFolderChooser) {
    start();
    QWidget* picker = stage("project");
    // The two buttons one under the other.
    EXPECT_GE(find<QPushButton>(picker, "choose-project-folder")->mapTo(picker, QPoint(0, 0)).y(),
              find<QPushButton>(picker, "create-project")->mapTo(picker, QPoint(0, 0)).y() +
                  find<QPushButton>(picker, "create-project")->height());
    find<QPushButton>(picker, "choose-project-folder")->click();
    ASSERT_EQ(desktop_->folderRequests.size(), 1);
    EXPECT_EQ(desktop_->folderRequests[0].confirmLabel, "Choose");
    EXPECT_EQ(desktop_->folderRequests[0].message, "projectFolderPrompt");
    EXPECT_FALSE(view_->model()->pendingInstall()); // cancelled

    desktop_->chosenFolder = "/Users/tester/Work";
    find<QPushButton>(picker, "choose-project-folder")->click();
    EXPECT_EQ(view_->model()->pendingInstall(),
              (Batch{"project-choose",
                     "Set up a project",
                     {SR::createProject(ProjectTemplate::simple, QString("/Users/tester/Work"))},
                     true}));
}

// Where a person sees an "Add selected" button: its y in the window as it appears and each time it is drawn,
// while the sightings live.
struct AddButtonSightings : QObject {
    AddButtonSightings() { qApp->installEventFilter(this); }
    ~AddButtonSightings() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override {
        const auto* button = qobject_cast<QPushButton*>(object);
        if (button && button->objectName().startsWith("add-") &&
            (event->type() == QEvent::Show || event->type() == QEvent::Paint))
            if (const int y = button->mapTo(button->window(), QPoint()).y(); ys.value(ys.size() - 1) != y)
                ys.append(y);
        return false;
    }
    QList<int> ys;
};

// The rows come once the Mac is read on the first visit: "Add selected" moves once, from where it stands
// without rows to its place under them. After a batch the picker built anew shows the rows it showed at once,
// and "Add selected" stays where it was.
TEST_F(SetupPickersTest, AddButtonsMoveOnceAsTheRowsArrive) {
    start();
    runner_.script(SR::installUv().id(), ScriptedJob::runningUntilStopped());
    for (const QString domain : {"skills", "mcp"}) {
        for (const bool afterBatch : {false, true}) {
            SCOPED_TRACE(domain.toStdString() + (afterBatch ? " after a batch" : ""));
            AddButtonSightings seen;
            if (!afterBatch)
                stage(domain);
            else if (view_->model()->request({domain, domain, {SR::installUv()}, false}) && view_->sheet())
                QTest::keyClick(view_->sheet(), Qt::Key_Escape); // the stage is built anew
            ASSERT_TRUE(waitUntil([&] { return !view_->sheet(); }));
            ASSERT_TRUE(waitForQueuedCalls());
            ASSERT_TRUE(loaded(find(view_->currentPage(), "setup-stage-picker")));
            EXPECT_TRUE(textsSelectableByMouse(view_->currentPage())); // the rows' captions too
            EXPECT_LE(seen.ys.size(), afterBatch ? 1 : 2) << ::testing::PrintToString(seen.ys);
            EXPECT_EQ(seen.ys.value(seen.ys.size() - 1),
                      find(view_->currentPage(), "add-" + domain)->mapTo(&window_, QPoint()).y());
        }
    }
}

// The skills picker with a bundled and a fetched skill ticked, and the MCP picker with a key typed, after a
// batch that leaves the stage standing (Cancel or Esc while it runs, a failure), in Linux's order of the
// sheet's end and in a Mac's. While the Mac is read again (held here), the picker built anew shows the rows
// with their ticks and the key, and "Add selected" enabled where it stood: the focus goes back to it, and
// only it is heard, once. Its place holds once the read is back.
TEST_F(SetupPickersTest, AfterABatchThatLeavesTheStageThePickerStandsAsItWas) {
    SystemProfile withTooling; // the fetched skill is offered to a Mac with development tooling
    withTooling.homebrewPrefix = "/opt/homebrew/bin/brew";
    ServiceContext::setSystemProfile(&window_, withTooling);
    start();
    window_.activateWindow();
    ASSERT_TRUE(waitForWindowActive(&window_));
    enum class End { cancel, escape, failure };
    const struct {
        QString domain;
        QString add;
        QStringList ticked;
        QStringList ids; // the fixes the batch runs
    } pickers[]{
        {"skills",
         "add-skills",
         {"skill-avoid-ai-writing", "skill-skill-creator"},
         {SR::installSkill(AgentSkill::builtIn()[0]).id(), SR::installSkill(AgentSkill::builtIn()[2]).id()}},
        {"mcp", "add-mcp", {"mcp-firecrawl"}, {SR::addMCPServer(MCPServer::builtIn()[0], "fc-key").id()}},
    };
    for (const auto& each : pickers) {
        QWidget* first = stage(each.domain);
        for (const QString& tick : each.ticked)
            if (auto* box = find<QCheckBox>(first, tick); box && !box->isChecked()) box->click();
        if (each.domain == "mcp") QTest::keyClicks(find<QLineEdit>(first, "mcp-key-firecrawl"), "fc-key");
        for (const SheetEnd order : bothSheetEnds)
            for (const End end : {End::cancel, End::escape, End::failure}) {
                SCOPED_TRACE(each.domain.toStdString() +
                             (order == SheetEnd::activateInsideHide ? ", Mac order" : ", Linux order") +
                             (end == End::cancel   ? ", Cancel"
                              : end == End::escape ? ", Esc"
                                                   : ", a failure"));
                for (const QString& id : each.ids)
                    runner_.script(id, end == End::failure ? ScriptedJob::completing(1)
                                                           : ScriptedJob::runningUntilStopped());
                QWidget* picker = find(view_->currentPage(), "setup-stage-picker");
                auto* add = find<QPushButton>(picker, each.add);
                ASSERT_TRUE(add && add->isEnabled());
                const int place = add->mapTo(&window_, QPoint()).y();
                files_->lookups.hold();
                const auto [focus, ring, told] = focusAfterSheet(
                    &window_, add,
                    [&] {
                        ASSERT_TRUE(view_->sheet());
                        if (end == End::escape) {
                            QTest::keyClick(view_->sheet(), Qt::Key_Escape);
                        } else if (end == End::cancel) {
                            QTest::keyClick(view_->sheet()->findChild<QPushButton*>("setup-action-cancel"),
                                            Qt::Key_Space);
                        } else {
                            ASSERT_TRUE(waitUntil([&] { return view_->sheetView()->batch()->hasEnded(); }));
                            QTest::keyClick(view_->sheet()->findChild<QPushButton*>("setup-action-continue"),
                                            Qt::Key_Space);
                        }
                        ASSERT_TRUE(waitUntil([&] { return !view_->sheet(); }));
                    },
                    order);
                QWidget* again = find(view_->currentPage(), "setup-stage-picker");
                ASSERT_NE(again, nullptr);
                EXPECT_NE(again, picker); // built anew
                auto* addAgain = find<QPushButton>(again, each.add);
                ASSERT_NE(addAgain, nullptr);
                EXPECT_TRUE(addAgain->isEnabled());
                EXPECT_EQ(focus, addAgain);
                EXPECT_EQ(told, (QList<Told>{{addAgain, "Add selected"}}));
                for (const QString& tick : each.ticked) {
                    auto* box = find<QCheckBox>(again, tick);
                    EXPECT_TRUE(box && box->isChecked()) << tick.toStdString();
                }
                if (each.domain == "mcp") {
                    auto* key = find<QLineEdit>(again, "mcp-key-firecrawl");
                    EXPECT_EQ(key ? key->text() : QString(), "fc-key");
                }
                EXPECT_EQ(addAgain->mapTo(&window_, QPoint()).y(), place);
                AddButtonSightings seen;
                files_->lookups.release();
                waitUntil([] { return false; }, 300);
                for (const int y : seen.ys)
                    EXPECT_EQ(y, place);
                EXPECT_TRUE(textsSelectableByMouse(view_->currentPage()));
                EXPECT_EQ(view_->model()->step(), Step::stage(each.domain));
            }
    }
}

// The pickers standalone, with their own state and model.
class PickerWidgetsTest : public ::testing::Test {
protected:
    PickerWidgetsTest() { DesktopActions::install(&window_, desktop_); }
    template <typename P, typename... Args> P* show(Args&&... args) {
        auto* picker = new P(&state_, &model_, std::forward<Args>(args)...);
        (new QVBoxLayout(&window_))->addWidget(picker);
        window_.show();
        return picker;
    }

    Sandbox sandbox_;
    TelemetryRecorder telemetry_{sandbox_.services()};
    SetupFlowModel model_{ProductConfig::homebrewEdition(), sandbox_.services(), telemetry_.service()};
    SetupPickerState state_;
    std::shared_ptr<RecordingDesktopActions> desktop_ = std::make_shared<RecordingDesktopActions>();
    QWidget window_;
};

TEST_F(PickerWidgetsTest, MCPKeyFieldIsMaskedKeptAndTrimmed) {
    auto* picker = show<MCPPicker>(sandbox_.services().fs);
    ASSERT_TRUE(loaded(picker));
    auto* add = find<QPushButton>(picker, "add-mcp");
    EXPECT_FALSE(add->isEnabled());
    EXPECT_EQ(picker->findChildren<QLineEdit*>(QString(), Qt::FindChildrenRecursively).size(),
              3); // all hidden
    find<QCheckBox>(picker, "mcp-slack")->click();
    find<QCheckBox>(picker, "mcp-firecrawl")->click();
    EXPECT_EQ(picker->findChild<QLineEdit*>("mcp-key-slack"), nullptr);
    auto* key = find<QLineEdit>(picker, "mcp-key-firecrawl");
    ASSERT_TRUE(shown(key));
    EXPECT_EQ(key->echoMode(), QLineEdit::Password);
    EXPECT_EQ(key->placeholderText(), "API key (optional — unlocks full features)");
    QTest::keyClicks(key, "  fc/1 ");
    saveScreenshot(&window_, "setup-picker-mcp");
    // A click on a check box toggles it and leaves the focus in the field; Tab still reaches the boxes.
    window_.activateWindow();
    ASSERT_TRUE(waitForWindowActive(&window_));
    key->setFocus(Qt::MouseFocusReason);
    auto* slack = find<QCheckBox>(picker, "mcp-slack");
    clickAsAPerson(slack);
    EXPECT_FALSE(slack->isChecked());
    EXPECT_TRUE(key->hasFocus());
    clickAsAPerson(slack);
    EXPECT_TRUE(slack->isChecked() && key->hasFocus());
    QTest::keyClick(key, Qt::Key_Backtab);
    EXPECT_NE(qobject_cast<QCheckBox*>(QApplication::focusWidget()), nullptr);

    find<QCheckBox>(picker, "mcp-firecrawl")->click();
    EXPECT_FALSE(shown(key));
    find<QCheckBox>(picker, "mcp-firecrawl")->click();
    EXPECT_TRUE(shown(key));
    EXPECT_EQ(key->text(), "  fc/1 ");

    find<LinkLabel>(picker, QString())->activate();
    add->click();
    const auto& servers = MCPServer::builtIn();
    EXPECT_EQ(model_.pendingInstall(),
              (Batch{"mcp",
                     "Add MCP servers",
                     {SR::addMCPServer(servers[0], QString("fc/1")), SR::addMCPServer(servers[2])},
                     true}));
    EXPECT_EQ(desktop_->openedURLs, QList<QUrl>{SetupPicker::curatedListsURL()});
}

TEST_F(PickerWidgetsTest, GitFormFieldsHintAndBatch) {
    SetupProbeBundle probes;
    probes.ghPresent = true;
    auto* form = show<GitSetupForm>(probes);
    auto* button = find<QPushButton>(form, "setup-git");
    EXPECT_FALSE(button->isEnabled());
    QTest::keyClicks(find<QLineEdit>(form, "git-name"), " Ada ");
    QTest::keyClicks(find<QLineEdit>(form, "git-email"), "ada@example.org");
    EXPECT_TRUE(button->isEnabled());
    find<QLineEdit>(form, "git-name")->setText("Ada\nLovelace"); // pasted across lines
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(shown(find<QLabel>(form, "git-hint")));
    find<QLineEdit>(form, "git-name")->setText(" Ada ");
    EXPECT_FALSE(shown(find<QLabel>(form, "git-hint")));
    saveScreenshot(&window_, "setup-picker-git");
    button->click();
    EXPECT_EQ(model_.pendingInstall(), (Batch{"git",
                                              "Set up Git with GitHub",
                                              {SR::configureGit("Ada", "ada@example.org"), SR::githubAuth()},
                                              false}));
}

TEST_F(PickerWidgetsTest, GitFormWithAnIdentityShowsOnlyTheCaption) {
    SetupProbeBundle probes;
    probes.gitIdentitySet = true;
    auto* form = show<GitSetupForm>(probes);
    EXPECT_EQ(form->findChild<QLineEdit*>(), nullptr);
    EXPECT_TRUE(find<QPushButton>(form, "setup-git")->isEnabled());
    find<QPushButton>(form, "setup-git")->click();
    EXPECT_EQ(model_.pendingInstall(),
              (Batch{"git", "Set up Git with GitHub", {SR::installGh(), SR::githubAuth()}, false}));
}

} // namespace
