// The Homebrew and Claude Code edition records, field by field, the events their policy hooks send, the
// current edition's wording reaching the spines, and the application bundle's Info.plist carrying the
// Homebrew edition's identity.

#include "catalog/DevelopmentStages.h"
#include "editions/BrandConstants.h"
#include "editions/EditionStrategies.h"
#include "editions/ProductConfig.h"
#include "editions/brew/BrewProber.h"
#include "editions/brew/BrewSpineCopy.h"
#include "editions/brew/BrewSpineProvider.h"
#include "editions/brew/BrewVerifier.h"
#include "editions/claude/ClaudeSetupProber.h"
#include "editions/claude/ClaudeSetupVerifier.h"
#include "editions/claude/ClaudeSpineCopy.h"
#include "editions/claude/ClaudeSpineProvider.h"

#include "EditionFixtures.h"
#include "support/ProjectBuild.h"

#include <QFile>
#include <QUrlQuery>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdlib>
#include <map>

using namespace qlan;
using namespace qlan::test;
using testing::ElementsAre;

namespace {

template <typename T, typename P> bool holds(const std::shared_ptr<P>& strategy) {
    return dynamic_cast<const T*>(strategy.get()) != nullptr;
}

// The top-level keys of a property list file, read with libplist, with their values: texts as they are,
// flags as <true/> or <false/>, anything else as <other>.
std::map<QString, QString> propertyListEntries(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    plist_t root = nullptr;
    plist_from_memory(data.constData(), static_cast<uint32_t>(data.size()), &root);
    std::map<QString, QString> entries;
    if (!root) return entries;
    if (plist_get_node_type(root) != PLIST_DICT) {
        plist_free(root);
        return entries;
    }
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(root, &it);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root, it, &key, &value);
        if (!value) break;
        QString& text = entries[QString::fromUtf8(key)];
        std::free(key);
        if (plist_get_node_type(value) == PLIST_STRING) {
            char* chars = nullptr;
            plist_get_string_val(value, &chars);
            text = QString::fromUtf8(chars);
            std::free(chars);
        } else if (plist_get_node_type(value) == PLIST_BOOLEAN) {
            uint8_t flag = 0;
            plist_get_bool_val(value, &flag);
            text = flag ? "<true/>" : "<false/>";
        } else {
            text = "<other>";
        }
    }
    std::free(it);
    plist_free(root);
    return entries;
}

QList<QPair<QString, QString>> campaign(const char* content) {
    return {{"utm_source", "pellinor"},
            {"utm_medium", "app"},
            {"utm_campaign", "pellinor_20260516"},
            {"utm_content", QString::fromLatin1(content)}};
}

const QStringList privacyBullets{"The app never identifies you and never records your IP address.",
                                 "No passwords or file contents are ever recorded.",
                                 "Usage events are anonymous.",
                                 "A random session ID is created for anonymous usage counts."};

void expectGuidedSetupBasics(const ProductConfig& edition) {
    EXPECT_EQ(edition.shellConfigMarker, "Quillane");
    EXPECT_FALSE(edition.datedShellMarker);
    EXPECT_EQ(edition.flow, SetupFlow::setupWorkflow);
    EXPECT_EQ(edition.goalPrompt, std::nullopt);
    EXPECT_EQ(edition.nextStepPrompt, std::nullopt);
    EXPECT_TRUE(edition.offerCatalog.isEmpty());
    EXPECT_TRUE(holds<InertDiagnosisProfile>(edition.diagnosisProfile));
    EXPECT_EQ(edition.copy.primaryCTA, "Check my setup");
    EXPECT_EQ(edition.consent.whatTitle, "What this app does");
    EXPECT_EQ(edition.consent.privacyTitle, "Your privacy and Mac integrity are respected");
    EXPECT_EQ(edition.consent.privacyBullets.mid(0, 4), privacyBullets);

    const QString guide = QStringLiteral("https://") + brand::guideSiteHost;
    EXPECT_EQ(edition.urls.articleBase, QUrl(guide));
    EXPECT_EQ(edition.urls.privacy, QUrl(guide + "/quillane/privacy"));
    EXPECT_EQ(edition.urls.commandLineTools, QUrl(guide + "/commandlinetools"));
    EXPECT_EQ(edition.urls.macosUpgrade, QUrl(guide + "/macos/upgrade"));
    EXPECT_EQ(edition.urls.warpAffiliate.scheme(), "https");
    EXPECT_EQ(edition.urls.warpAffiliate.path(), "/mac-terminal");
}

} // namespace

TEST(EditionRecord, HomebrewEditionFieldByField) {
    const ProductConfig brew = ProductConfig::homebrewEdition();
    expectGuidedSetupBasics(brew);
    EXPECT_EQ(brew.appID, "qlan-brew");
    EXPECT_EQ(brew.displayName, "Quillane with Homebrew");
    EXPECT_EQ(brew.appSupportDirName, "Quillane with Homebrew");
    EXPECT_EQ(brew.cacheDirName, "QuillaneBrew");
    EXPECT_EQ(brew.copy,
              (ProductCopy{"Homebrew is the package manager developers use to install tools on a Mac. "
                           "The app will run a check to see what's needed. Nothing changes without your "
                           "okay.",
                           "Check my setup", QStringLiteral("Set up Homebrew on your Mac")}));
    EXPECT_THAT(brew.consent.whatBullets,
                ElementsAre("Checks whether Homebrew and the tools it needs are set up.",
                            "Installs Homebrew and Apple's Command Line Tools, if you wish.",
                            "Asks for your permission before installing or changing anything."));
    EXPECT_EQ(brew.consent.privacyBullets, privacyBullets) << "four bullets";

    // One link serves install methods, troubleshooting and the environment set-up.
    const QUrl homebrewPage(QStringLiteral("https://") + brand::guideSiteHost + "/homebrew");
    EXPECT_EQ(brew.urls.installMethods, homebrewPage);
    EXPECT_EQ(brew.urls.troubleshooting, homebrewPage);
    EXPECT_EQ(brew.urls.envConfig, homebrewPage);
    EXPECT_EQ(QUrlQuery(brew.urls.warpAffiliate).queryItems(), campaign("qlan_brew"));

    EXPECT_TRUE(holds<BrewSpineProvider>(brew.spineProvider));
    EXPECT_TRUE(holds<BrewVerifier>(brew.verifier));
    EXPECT_TRUE(holds<BrewProber>(brew.prober));
    EXPECT_EQ(*brew.spineCopy, brewSpineCopy());
    EXPECT_EQ(brew.sharedDomainCopy, SharedDomainCopy::standard());
    EXPECT_EQ(brew.spinePolicy, SpineRenderPolicy::homebrewEdition());
}

TEST(EditionRecord, TheApplicationBundleIsTheHomebrewEditions) {
    // The configure step's Info.plist: every key, and nothing else. Identifier and display name are the
    // edition record's; the bundle's name and version the project's.
    const ProductConfig brew = ProductConfig::homebrewEdition();
    const QString name = project::name;
    const QString version = project::version;
#if defined(__APPLE__)
    // A Mac bundle names the macOS it was built for.
    const QString minimum = *project::deploymentTarget ? project::deploymentTarget : "13.0";
#else
    const QString minimum = "13.0";
#endif
    const std::map<QString, QString> expected{
        {"CFBundleIdentifier", brew.userDefaultsPrefix},
        {"CFBundleDisplayName", brew.displayName},
        {"CFBundleName", name},
        {"CFBundleExecutable", name},
        {"CFBundleShortVersionString", version},
        {"CFBundleVersion", version},
        {"LSMinimumSystemVersion", minimum},
        {"LSApplicationCategoryType", "public.app-category.developer-tools"},
        {"NSHighResolutionCapable", "<true/>"},
        {"NSPrincipalClass", "NSApplication"},
        {"CFBundlePackageType", "APPL"},
        {"CFBundleInfoDictionaryVersion", "6.0"},
        {"CFBundleDevelopmentRegion", "en"},
    };
    ASSERT_FALSE(name.isEmpty() || version.isEmpty());
    EXPECT_EQ(propertyListEntries(project::infoPlist), expected);
}

TEST(EditionRecord, ClaudeEditionFieldByField) {
    const ProductConfig claude = ProductConfig::claudeEdition();
    expectGuidedSetupBasics(claude);
    EXPECT_EQ(claude.appID, "qlan-claude");
    EXPECT_EQ(claude.displayName, "Quillane for Claude Code");
    EXPECT_EQ(claude.appSupportDirName, "Quillane for Claude Code");
    EXPECT_EQ(claude.cacheDirName, "QuillaneClaude");
    EXPECT_EQ(
        claude.copy,
        (ProductCopy{
            "Run a check to find if anything is missing. Nothing changes on your Mac without your okay.",
            "Check my setup", QStringLiteral("Is your Mac ready for Claude Code?")}));
    EXPECT_THAT(claude.consent.whatBullets,
                ElementsAre("Checks what is needed to run Claude Code.",
                            "Installs the Claude Code CLI and Claude Desktop with Homebrew, if you wish.",
                            "Asks for your permission before installing or changing anything."));
    EXPECT_EQ(claude.consent.privacyBullets.size(), 5);
    EXPECT_EQ(claude.consent.privacyBullets.last(), "Not affiliated with Anthropic.");

    const QString guide = QStringLiteral("https://") + brand::guideSiteHost;
    EXPECT_EQ(claude.urls.installMethods, QUrl(guide + "/claude-code/install"));
    EXPECT_EQ(claude.urls.troubleshooting, QUrl(guide + "/claude-code"));
    EXPECT_EQ(claude.urls.envConfig, QUrl(guide + "/claude-code"));
    EXPECT_EQ(QUrlQuery(claude.urls.warpAffiliate).queryItems(), campaign("qlan_claude"));

    EXPECT_TRUE(holds<ClaudeSpineProvider>(claude.spineProvider));
    EXPECT_TRUE(holds<ClaudeSetupVerifier>(claude.verifier));
    EXPECT_TRUE(holds<ClaudeSetupProber>(claude.prober));
    EXPECT_EQ(*claude.spineCopy, claudeSpineCopy());
    EXPECT_EQ(claude.sharedDomainCopy, SharedDomainCopy::claudeEdition());
    EXPECT_EQ(claude.spinePolicy, SpineRenderPolicy::claudeEdition());

    // Three distinct key prefixes, each a reverse-DNS identifier.
    const QStringList prefixes{ProductConfig::javaEdition().userDefaultsPrefix,
                               ProductConfig::homebrewEdition().userDefaultsPrefix,
                               claude.userDefaultsPrefix};
    EXPECT_EQ(QSet<QString>(prefixes.begin(), prefixes.end()).size(), 3);
    for (const QString& prefix : prefixes)
        EXPECT_GE(prefix.count('.'), 2) << prefix.toStdString();
}

TEST(EditionRecord, ReadsAreCopiesOfOneRecord) {
    ProductConfig first = ProductConfig::homebrewEdition();
    const ProductConfig second = ProductConfig::homebrewEdition();
    EXPECT_EQ(first.spineProvider, second.spineProvider) << "the strategies were built once";
    EXPECT_EQ(first.spinePolicy, second.spinePolicy);
    first.sharedDomainCopy.homebrewReady.headline = "changed";
    first.spinePolicy.fallbackArticlePath = "changed";
    first.verifier.reset();
    EXPECT_EQ(second.sharedDomainCopy, SharedDomainCopy::standard());
    EXPECT_EQ(ProductConfig::homebrewEdition().sharedDomainCopy, SharedDomainCopy::standard());
    EXPECT_EQ(ProductConfig::homebrewEdition().spinePolicy.fallbackArticlePath, "quillane/coming-soon");
    EXPECT_NE(ProductConfig::homebrewEdition().verifier, nullptr);
}

TEST(EditionRecord, TheCurrentEditionsWordingReachesTheSpines) {
    const SystemProfile intel = profileOn(Architecture::intel);
    const SetupProbeBundle none;
    const SharedDomainCopy& claudeWording = SharedDomainCopy::claudeEdition();
    {
        CurrentEdition current(ProductConfig::claudeEdition());
        const QList<WorkflowStep> steps =
            makeDevelopmentStages(intel, none, ProductConfig::current().sharedDomainCopy);
        EXPECT_EQ(stageOf(steps, "homebrew").diagnosis().detail, claudeWording.homebrewFixable.detail);
        EXPECT_EQ(stageOf(steps, "warp").diagnosis().detail, claudeWording.warpFixable.detail);
        EXPECT_EQ(BrewSpineProvider::diagnosis("homebrew", intel, none).detail,
                  claudeWording.homebrewFixable.detail);
        const std::optional<SetupWorkflow> brewSpine =
            BrewSpineProvider().makeSpine(std::nullopt, intel, none, emptySpineSelection());
        EXPECT_EQ(stageOf(brewSpine->steps, "warp").diagnosis().detail, claudeWording.warpFixable.detail);

        // The Claude Code edition as the guided setup takes it: its own spine in its own wording.
        const EditionStrategies edition = EditionStrategies::of(ProductConfig::current());
        EXPECT_EQ(edition.workflow(intel, none).steps, makeDevelopmentStages(intel, none, claudeWording));
    }
    {
        CurrentEdition current(ProductConfig::homebrewEdition());
        EXPECT_EQ(BrewSpineProvider::diagnosis("homebrew", intel, none).detail,
                  SharedDomainCopy::standard().homebrewFixable.detail);
        const EditionStrategies edition = EditionStrategies::of(ProductConfig::current());
        EXPECT_EQ(domainIDs(edition.workflow(intel, none).steps).first(3),
                  (QStringList{"clt", "homebrew", "warp"}));
    }
}

TEST(EditionRecord, PolicyHooksSendTheirEvents) {
    EXPECT_EQ(SpineRenderPolicy::homebrewOutcomeEvent(std::nullopt, "yes"),
              (TelemetryEvent{"outcome_reported",
                              {{"engine_outcome", JSONValue::string("blocked")},
                               {"self_report", JSONValue::string("yes")}}}));
    EXPECT_EQ(SpineRenderPolicy::homebrewOutcomeEvent(QStringLiteral("likely_resolved"), "partly"),
              (TelemetryEvent{"outcome_reported",
                              {{"engine_outcome", JSONValue::string("likely_resolved")},
                               {"self_report", JSONValue::string("partly")}}}));
    EXPECT_EQ(SpineRenderPolicy::claudeOutcomeEvent(std::nullopt, "no"),
              (TelemetryEvent{"claude_outcome_reported",
                              {{"engine_outcome", JSONValue::string("blocked")},
                               {"self_report", JSONValue::string("no")}}}));

    // Two lists sharing one path and adding one more: two installs.
    SetupProbeBundle conflict;
    conflict.pathVisiblePrimaryTools = {"/opt/homebrew/bin/claude", "/opt/homebrew/bin/claude"};
    conflict.installedPrimaryToolLocations = {"/opt/homebrew/bin/claude", "/Users/tester/.local/bin/claude"};
    EXPECT_EQ(SpineRenderPolicy::claudeStageBlockedEvent("claude-cli", conflict),
              (TelemetryEvent{"claude_conflict_surfaced", {{"install_count", JSONValue::integer(2)}}}));
    for (const char* other : {"CLAUDE-CLI", "Claude-cli", "claude-cli ", "homebrew", ""})
        EXPECT_EQ(SpineRenderPolicy::claudeStageBlockedEvent(other, conflict), std::nullopt) << other;
}
