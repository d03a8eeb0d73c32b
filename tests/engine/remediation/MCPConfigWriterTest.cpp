// Registering an MCP server with the agents: Codex's config.toml on real files in a sandboxed home
// folder (checked back with a real TOML parser), the configured-everywhere test, the `claude` command line
// run by a real shell.

#include "remediation/MCPConfigWriter.h"
#include "platform/ShellQuoting.h"

#include "FaultyFileSystem.h"
#include "support/ForwardingFileSystem.h"
#include "support/Sandbox.h"

#include <QProcess>

#include <gtest/gtest.h>
#include <toml++/toml.h>

using namespace qlan;
using qlan::test::Sandbox;

namespace {

const QString config = QStringLiteral("/Users/tester/.codex/config.toml");
const QString backup = QStringLiteral("/Users/tester/.codex/config.toml.bak");
const QString url = QStringLiteral("https://mcp.example.test/mcp");

int mode(const Sandbox& sandbox, const QString& macPath) {
    return sandbox.services().fs->attributesOfItem(sandbox.map(macPath)).posixPermissions.value_or(-1);
}

// The text a real TOML reader gives for mcp_servers.<name>.url, or none.
std::optional<QString> readBackURL(const QByteArray& text, const QString& name) {
    try {
        const toml::table root = toml::parse(std::string_view(text.constData(), size_t(text.size())));
        if (auto value = root["mcp_servers"][name.toStdString()]["url"].value<std::string>())
            return QString::fromStdString(*value);
    } catch (const toml::parse_error&) {
    }
    return std::nullopt;
}

// Records, per path, the permission bits the last write asked the file to have from its first byte
// (-1: a write that asked for none).
class PermissionRecorder : public test::ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    QMap<QString, int> asked;
    void writeFile(const QByteArray& data, const QString& path, const FileWriteOptions& options) override {
        asked[path] = options.permissions.value_or(-1);
        ForwardingFileSystem::writeFile(data, path, options);
    }
    void writeString(const QString& text, const QString& path, bool atomically) override {
        asked[path] = -1;
        ForwardingFileSystem::writeString(text, path, atomically);
    }
    void writeData(const QByteArray& data, const QString& path) override {
        asked[path] = -1;
        ForwardingFileSystem::writeData(data, path);
    }
};

} // namespace

TEST(MCPConfigWriter, CodexTableFollowsTheSeparatorRulesAndStaysPrivate) {
    const QByteArray table = "[mcp_servers.notion]\nurl = \"https://mcp.example.test/mcp\"\n";
    struct Case {
        const char* old;
        QByteArray expected;
    };
    const QList<Case> cases{
        {"", table},
        {"model = \"o3\"", "model = \"o3\"\n\n" + table},
        {"model = \"o3\"\n", "model = \"o3\"\n\n" + table},
        {"model = \"o3\"\n\n", "model = \"o3\"\n\n\n" + table},
    };
    for (const Case& c : cases) {
        Sandbox sandbox;
        sandbox.writeFile(config, c.old, 0644);
        const auto recorder = std::make_shared<PermissionRecorder>(sandbox.services().fs);
        const MCPConfigWriter writer(recorder);
        const auto result = writer.addToCodex("notion", url);
        // The key may be in the text: the file and its backup are private from their first byte.
        EXPECT_EQ(recorder->asked.value(writer.codexConfigPath()), 0600);
        EXPECT_EQ(recorder->asked.value(writer.codexBackupPath(), 0600), 0600);
        EXPECT_EQ(result, (MCPConfigWriter::CodexResult{{"Added notion to your Codex config."}, true, true}))
            << c.old;
        EXPECT_EQ(sandbox.readFile(config), c.expected) << c.old;
        EXPECT_EQ(mode(sandbox, config), 0600);
        if (QByteArray(c.old).isEmpty()) {
            EXPECT_FALSE(sandbox.exists(backup)) << "an empty old text needs no backup";
        } else {
            EXPECT_EQ(sandbox.readFile(backup), QByteArray(c.old));
            EXPECT_EQ(mode(sandbox, backup), 0600);
        }
        // A second run finds the table and changes nothing.
        const auto again = MCPConfigWriter(sandbox.services().fs).addToCodex("notion", url);
        EXPECT_EQ(again.lines, QStringList{"notion is already in your Codex config — left as is."});
        EXPECT_EQ(sandbox.readFile(config), c.expected);
    }
}

TEST(MCPConfigWriter, CodexIsFoundByItsFolderOrItsProgramOnly) {
    Sandbox sandbox;
    MCPConfigWriter writer(sandbox.services().fs);
    EXPECT_EQ(writer.addToCodex("notion", url), (MCPConfigWriter::CodexResult{{}, true, false}));
    EXPECT_FALSE(sandbox.exists("/Users/tester/.codex"));

    sandbox.writeStub("/usr/local/bin/codex");
    EXPECT_EQ(writer.addToCodex("notion", url).lines, QStringList{"Added notion to your Codex config."});
    EXPECT_EQ(sandbox.readFile(config), "[mcp_servers.notion]\nurl = \"https://mcp.example.test/mcp\"\n");
    EXPECT_FALSE(sandbox.exists(backup));
    EXPECT_EQ(mode(sandbox, config), 0600);
}

TEST(MCPConfigWriter, OddNamesAndAddressesStayValidTOMLWithTheSameValues) {
    const QString name = QStringLiteral("we\"ird\\ key #1\nx");
    const QString oddURL = QStringLiteral("https://h.test/a?q=\"x\"&b=\\#frag\n]\n[evil]");
    Sandbox sandbox;
    sandbox.writeFile(config, "[mcp_servers.other]\nurl = \"https://o.test\"\n");
    MCPConfigWriter writer(sandbox.services().fs);
    EXPECT_TRUE(writer.addToCodex(name, oddURL).succeeded);
    const QByteArray text = sandbox.readFile(config);
    EXPECT_EQ(readBackURL(text, name), oddURL);
    EXPECT_EQ(readBackURL(text, "other"), QStringLiteral("https://o.test"));
    EXPECT_TRUE(writer.isConfigured(name));
    EXPECT_EQ(writer.addToCodex(name, oddURL).lines.value(0),
              name + " is already in your Codex config — left as is.");
    EXPECT_EQ(sandbox.readFile(config), text);

    // The quoted header form counts as present and is left alone.
    Sandbox quoted;
    quoted.writeFile(config, "[mcp_servers.\"notion\"]\nurl = \"https://x.test\"\n");
    EXPECT_EQ(MCPConfigWriter(quoted.services().fs).addToCodex("notion", url).lines,
              QStringList{"notion is already in your Codex config — left as is."});
    EXPECT_FALSE(quoted.exists(backup));
}

TEST(MCPConfigWriter, AFileThatCannotBeReadOrParsedOrBackedUpIsLeftWhole) {
    struct Case {
        QByteArray old;
        const char* why;
    };
    const QList<Case> cases{
        {"model = \"o3\n", "unterminated string: the result would not parse"},
        {"[mcp_servers]\nnotion = { url = \"https://x.test\" }\n", "defined another way: already there"},
        {QByteArray("name = \"\xff\xfe\"\n"), "not UTF-8"},
    };
    for (const Case& c : cases) {
        Sandbox sandbox;
        sandbox.writeFile(config, c.old);
        const auto result = MCPConfigWriter(sandbox.services().fs).addToCodex("notion", url);
        EXPECT_EQ(sandbox.readFile(config), c.old) << c.why;
        EXPECT_FALSE(sandbox.exists(backup)) << c.why;
        if (QByteArray(c.why).startsWith("defined")) {
            EXPECT_TRUE(result.succeeded);
        } else {
            EXPECT_FALSE(result.succeeded) << c.why;
            EXPECT_TRUE(result.lines.value(0).startsWith("Couldn't write your Codex config: ")) << c.why;
        }
    }

    Sandbox sandbox;
    sandbox.writeFile(config, "model = \"o3\"\n");
    auto fs = std::make_shared<test::FaultyFileSystem>(sandbox.services().fs);
    fs->failWrite = [](const QString& path) { return path.endsWith(".bak"); };
    fs->description = "disk full";
    const auto result = MCPConfigWriter(fs).addToCodex("notion", url);
    EXPECT_EQ(result,
              (MCPConfigWriter::CodexResult{{"Couldn't write your Codex config: disk full"}, false, true}));
    EXPECT_EQ(sandbox.readFile(config), "model = \"o3\"\n");
}

TEST(MCPConfigWriter, ConfiguredMeansEveryExistingAgentFileHasTheServer) {
    const QByteArray withServer = R"({"mcpServers": {"notion": null, "other": {}}})";
    const QByteArray codexWith = "[mcp_servers.notion]\nurl = \"u\"\n";
    struct Case {
        std::optional<QByteArray> claudeJson;
        std::optional<QByteArray> codex;
        bool expected;
    };
    const QList<Case> cases{
        {std::nullopt, std::nullopt, false},
        {withServer, std::nullopt, true},
        {std::nullopt, codexWith, true},
        {withServer, codexWith, true},
        {withServer, QByteArray("model = 1\n"), false},
        {QByteArray(R"({"mcpServers": {}})"), codexWith, false},
        {QByteArray("not json"), codexWith, false},
        {QByteArray(R"({"projects": {"/p": {"mcpServers": {"notion": {}}}}})"), std::nullopt, false},
        {QByteArray(R"(["mcpServers"])"), std::nullopt, false},
    };
    for (const Case& c : cases) {
        Sandbox sandbox;
        if (c.claudeJson) sandbox.writeFile("/Users/tester/.claude.json", *c.claudeJson);
        if (c.codex) sandbox.writeFile(config, *c.codex);
        EXPECT_EQ(MCPConfigWriter(sandbox.services().fs).isConfigured("notion"), c.expected)
            << c.claudeJson.value_or("-").constData() << " | " << c.codex.value_or("-").constData();
    }
}

TEST(MCPConfigWriter, ClaudeCommandPassesEveryValueThroughTheShellUnchanged) {
    EXPECT_EQ(MCPConfigWriter::claudeAddCommand("notion", url),
              "claude mcp add --transport http 'notion' 'https://mcp.example.test/mcp' -s user");
    EXPECT_EQ(MCPConfigWriter::claudeAddCommand("x'y", url),
              "claude mcp add --transport http 'x'\\''y' 'https://mcp.example.test/mcp' -s user");
    // A real shell gives back each value as one literal word.
    const QStringList values{"O'Brien $(rm -rf ~)", "`id`;\"$HOME\"\\n", "''", "a\nb", ""};
    for (const QString& value : values) {
        QProcess shell;
        shell.start("/bin/sh", {"-c", "printf '%s|' " + shellQuoted(value)});
        ASSERT_TRUE(shell.waitForFinished());
        EXPECT_EQ(QString::fromUtf8(shell.readAllStandardOutput()), value + "|");
    }
}

TEST(MCPConfigWriter, ClaudeDesktopFolderIsInApplicationSupport) {
    Sandbox sandbox;
    EXPECT_EQ(MCPConfigWriter(sandbox.services().fs).claudeDesktopConfig(),
              sandbox.home() + "/Library/Application Support/Claude");
}
