#include "setup/SetupPickerState.h"
#include "setup/SetupStagePlan.h"

#include "support/Sandbox.h"
#include "support/SetupFlowPrinters.h"

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

using L = QLANLanguage;
using R = SetupRemediation;
using Batch = SetupFlowModel::PendingInstall;

QStringList ids(const QList<SetupRemediation>& remediations) {
    QStringList out;
    for (const SetupRemediation& remediation : remediations)
        out.append(remediation.id());
    return out;
}

QStringList slugs(const QList<AgentSkill>& skills) {
    QStringList out;
    for (const AgentSkill& skill : skills)
        out.append(skill.slug);
    return out;
}

const PickerRow& rowFor(const QList<PickerRow>& rows, const QString& key) {
    for (const PickerRow& row : rows)
        if (row.key == key) return row;
    throw std::runtime_error("no row " + key.toStdString());
}

class SetupPickerStateTest : public ::testing::Test {
protected:
    void folderWithEntry(const QString& homeRelative) {
        sandbox_.makeDirectory(sandbox_.home() + "/" + homeRelative + "/entry");
    }
    LanguageDetector detector() const { return LanguageDetector{sandbox_.services().fs}; }

    Sandbox sandbox_;
    SetupPickerState state_;
};

TEST_F(SetupPickerStateTest, LanguageRowsFollowWhatTheMacHasAndTheButtonNeedsALanguageToInstall) {
    folderWithEntry(".local/share/mise/installs/node"); // ours
    folderWithEntry(".rbenv/versions");                 // another manager
    const auto findings = SetupPickerState::detectLanguages(detector());

    QList<PickerRow> rows = state_.languageRows(findings);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0].checkboxID, "lang-python");
    EXPECT_EQ(rows[1].title, "JavaScript (Node)");
    EXPECT_FALSE(rows[1].enabled);
    EXPECT_EQ(rows[1].caption, "already set up (mise)");
    EXPECT_EQ(rows[1].captionID, "lang-note-node");
    EXPECT_EQ(rows[1].captionTone, PickerRow::Tone::secondary);
    EXPECT_TRUE(rows[3].enabled);
    EXPECT_EQ(rows[3].caption, "managed by rbenv — installing ours may conflict");
    EXPECT_EQ(rows[3].captionTone, PickerRow::Tone::warning);
    EXPECT_EQ(rows[4].caption, ""); // nothing found: no caption line
    EXPECT_FALSE(state_.languagesBatch(findings));

    state_.setLanguageSelected(L::ruby, true);
    EXPECT_TRUE(state_.languageRows(findings)[3].checked);
    EXPECT_EQ(state_.languagesBatch(findings),
              (Batch{"languages", "Install languages", {R::installMise(), R::installRubyViaMise()}, true}));
}

TEST_F(SetupPickerStateTest, ALanguageFoundSetUpAfterItWasTickedIsNeverPlannedAgainAndCanBeUnticked) {
    state_.setLanguageSelected(L::node, true);
    state_.setLanguageSelected(L::python, true);
    folderWithEntry(".local/share/mise/installs/node"); // the batch set Node up
    const auto findings = SetupPickerState::detectLanguages(detector());

    const PickerRow node = state_.languageRows(findings)[1];
    EXPECT_TRUE(node.checked);
    EXPECT_TRUE(node.enabled);
    EXPECT_EQ(state_.languagePlan(findings), QList<R>{R::installUv()});

    state_.setLanguageSelected(L::python, false);
    EXPECT_FALSE(state_.languagesBatch(findings)); // only a set-up language is ticked
    state_.setLanguageSelected(L::node, false);
    EXPECT_FALSE(state_.languageRows(findings)[1].enabled);
}

TEST_F(SetupPickerStateTest, ProjectBatches) {
    const QList<ProjectTemplate> templates =
        SetupStagePlan::projectTemplates({R::installUv(), R::createProject(ProjectTemplate::simple),
                                          R::createProject(ProjectTemplate::coding)});
    EXPECT_EQ(templates, (QList<ProjectTemplate>{ProjectTemplate::simple, ProjectTemplate::coding}));
    EXPECT_EQ(SetupPickerState::projectInDocumentsBatch(templates),
              (Batch{"project",
                     "Set up a project",
                     {R::createProject(ProjectTemplate::simple), R::createProject(ProjectTemplate::coding)},
                     true}));
    EXPECT_EQ(SetupPickerState::projectInDocumentsBatch({}),
              (Batch{"project", "Set up a project", {}, true}));
    EXPECT_EQ(SetupPickerState::projectInFolderBatch(QString("/Users/tester/Work")),
              (Batch{"project-choose",
                     "Set up a project",
                     {R::createProject(ProjectTemplate::simple, QString("/Users/tester/Work"))},
                     true}));
    EXPECT_FALSE(SetupPickerState::projectInFolderBatch(std::nullopt));
}

TEST_F(SetupPickerStateTest, SkillsArePreselectedOnceAndInstalledOnesNeverBatched) {
    sandbox_.makeDirectory(sandbox_.home() + "/.claude/skills/downloads-cleanup");
    auto offer = SetupPickerState::skillsOffer(SystemProfile{}, sandbox_.services().fs);
    EXPECT_EQ(slugs(offer.listed), (QStringList{"avoid-ai-writing", "downloads-cleanup"}));
    EXPECT_EQ(offer.installed, QSet<QString>{"downloads-cleanup"});

    state_.seedSkills(offer);
    EXPECT_EQ(state_.selectedSkills, QSet<QString>{"avoid-ai-writing"});
    state_.setSkillSelected("downloads-cleanup", true);
    const PickerRow installed = state_.skillRows(offer)[1];
    EXPECT_EQ(installed.checkboxID, "skill-downloads-cleanup");
    EXPECT_TRUE(installed.checked);
    EXPECT_FALSE(installed.enabled);
    EXPECT_EQ(installed.caption, "Already installed");
    EXPECT_EQ(state_.skillRows(offer)[0].caption, "Make your agent write like a human, not a robot");
    EXPECT_EQ(slugs(state_.skillsToAdd(offer)), QStringList{"avoid-ai-writing"});

    state_.setSkillSelected("avoid-ai-writing", false);
    state_.seedSkills(offer); // shown again
    EXPECT_FALSE(state_.selectedSkills.contains("avoid-ai-writing"));
    EXPECT_FALSE(state_.skillsBatch(offer)); // "Add selected" disabled: only an installed skill is ticked

    SystemProfile tooling;
    tooling.homebrewPrefix = QString("/opt/homebrew/bin/brew");
    offer = SetupPickerState::skillsOffer(tooling, sandbox_.services().fs);
    EXPECT_EQ(slugs(offer.listed), (QStringList{"avoid-ai-writing", "downloads-cleanup", "skill-creator"}));
    state_.setSkillSelected("skill-creator", true);
    state_.setSkillSelected("avoid-ai-writing", true);
    const auto batch = state_.skillsBatch(offer);
    ASSERT_TRUE(batch);
    EXPECT_EQ(batch->id, "skills");
    EXPECT_EQ(batch->title, "Add skills");
    EXPECT_TRUE(batch->continuesPastFailure);
    EXPECT_EQ(ids(batch->remediations), (QStringList{"skill:avoid-ai-writing", "skill:skill-creator"}));
}

TEST_F(SetupPickerStateTest, MCPKeyFieldAndKeysInTheBatch) {
    sandbox_.writeFile(sandbox_.home() + "/.claude.json", R"({"mcpServers": {"notion": {}}})");
    const auto offer = SetupPickerState::mcpOffer(sandbox_.services().fs);
    EXPECT_EQ(offer.configured, QSet<QString>{"notion"});

    auto rows = state_.mcpRows(offer);
    EXPECT_EQ(rowFor(rows, "notion").caption, "Already added");
    EXPECT_FALSE(rowFor(rows, "notion").enabled);
    EXPECT_TRUE(rowFor(rows, "firecrawl").keyFieldID.isEmpty()); // not ticked
    EXPECT_FALSE(state_.mcpBatch(offer));

    state_.setMCPSelected("firecrawl", true);
    state_.setMCPSelected("slack", true);
    state_.setMCPSelected("notion", true);
    rows = state_.mcpRows(offer);
    EXPECT_EQ(rowFor(rows, "firecrawl").keyFieldID, "mcp-key-firecrawl");
    EXPECT_TRUE(rowFor(rows, "slack").keyFieldID.isEmpty()); // signs in instead

    state_.setMCPKey("firecrawl", "  fc-12 34\n");
    state_.setMCPSelected("firecrawl", false);
    EXPECT_TRUE(rowFor(state_.mcpRows(offer), "firecrawl").keyFieldID.isEmpty());
    state_.setMCPSelected("firecrawl", true);
    EXPECT_EQ(state_.mcpAPIKeys.value("firecrawl"), "  fc-12 34\n");

    const MCPServer& firecrawl = offer.listed[0];
    const MCPServer& slack = offer.listed[2];
    EXPECT_EQ(state_.mcpBatch(offer),
              (Batch{"mcp",
                     "Add MCP servers",
                     {R::addMCPServer(firecrawl, QString("fc-12 34")), R::addMCPServer(slack)},
                     true}));
    state_.setMCPKey("firecrawl", " \t\n");
    EXPECT_EQ(state_.mcpBatch(offer)->remediations[0], R::addMCPServer(firecrawl));
}

TEST_F(SetupPickerStateTest, GitBatchForEveryCombinationOfProbeResults) {
    state_.gitName = " Ada Lovelace\n";
    state_.gitEmail = "\tada@example.org ";
    const R identity = R::configureGit("Ada Lovelace", "ada@example.org");
    for (int bits = 0; bits < 8; ++bits) {
        SetupProbeBundle probes;
        probes.ghPresent = bits & 1;
        probes.gitIdentitySet = bits & 2;
        probes.ghAuthed = bits & 4;
        QList<R> expected;
        if (!probes.ghPresent) expected.append(R::installGh());
        expected.append(identity);
        if (!probes.ghAuthed) expected.append(R::githubAuth());
        EXPECT_EQ(state_.gitBatch(probes), (Batch{"git", "Set up Git with GitHub", expected, false})) << bits;
    }

    SetupProbeBundle done;
    done.ghPresent = done.gitIdentitySet = done.ghAuthed = true;
    state_.gitName.clear();
    EXPECT_EQ(state_.gitBatch(done), (Batch{"git", "Set up Git with GitHub", {}, false}));
    EXPECT_EQ(state_.gitForm(done), (GitFormState{false, true, {}}));
}

TEST_F(SetupPickerStateTest, GitFormNeedsOneLineNameAndEmail) {
    const SetupProbeBundle probes;
    const QList<std::tuple<QString, QString, GitFormState>> cases = {
        {"", "ada@example.org", {true, false, {}}},
        {"   ", "ada@example.org", {true, false, {}}},
        {"Ada", "\n", {true, false, {}}},
        {"Ada\n", "ada@example.org", {true, true, {}}},
        {"Ada\nLovelace", "ada@example.org", {true, false, "Your name and email must each fit on one line."}},
        {"Ada", "ada@\rexample.org", {true, false, "Your name and email must each fit on one line."}},
    };
    for (const auto& [name, email, expected] : cases) {
        state_.gitName = name;
        state_.gitEmail = email;
        EXPECT_EQ(state_.gitForm(probes), expected) << name.toStdString() << " / " << email.toStdString();
    }
    // A two-line name never reaches Git, even behind an identity found later.
    EXPECT_EQ(state_.gitBatch(probes).remediations, (QList<R>{R::installGh(), R::githubAuth()}));
}

TEST_F(SetupPickerStateTest, CaskPickerSeedsPerStageAndBatchesInRowOrder) {
    const SpineRenderPolicy::CaskMultiselect kind{"Install editors",
                                                  "install-editors",
                                                  {{"Zed", "brew:zed", "cask-zed"},
                                                   {"VS Code", "brew:visual-studio-code", "cask-vscode"},
                                                   {"Warp", "brew:warp", "cask-warp"}}};
    const auto offered = SetupStagePlan::offeredByID(
        {R::installVSCode(), R::installZed(), R::installClaudeDesktop(), R::installZed()});
    ASSERT_EQ(offered.size(), 3);

    state_.seedCasks("editors", offered);
    auto rows = state_.caskRows(kind, offered);
    EXPECT_TRUE(rows[0].checked && rows[0].enabled && rows[1].checked);
    EXPECT_FALSE(rows[2].checked || rows[2].enabled);
    EXPECT_EQ(rows[2].caption, "Already installed");
    EXPECT_EQ(rows[2].captionID, "cask-warp-installed");
    EXPECT_EQ(state_.casksBatch(kind, offered),
              (Batch{"install-editors", "Install editors", {R::installZed(), R::installVSCode()}, true}));

    state_.setCaskSelected(R::installZed().id(), false);
    state_.setCaskSelected(R::installVSCode().id(), false);
    state_.seedCasks("editors", offered); // a second visit ticks nothing again
    EXPECT_FALSE(state_.caskRows(kind, offered)[0].checked);
    // An offered fix without a row stays ticked but enables nothing.
    EXPECT_TRUE(state_.selectedCasks.contains(R::installClaudeDesktop().id()));
    EXPECT_TRUE(state_.casksToInstall(kind, offered).isEmpty());
    EXPECT_FALSE(state_.casksBatch(kind, offered));

    state_.seedCasks("agents", offered); // another stage gets its own first visit
    EXPECT_TRUE(state_.caskRows(kind, offered)[0].checked);
}

} // namespace
