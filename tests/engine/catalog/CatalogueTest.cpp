#include "catalog/AgentSkill.h"
#include "catalog/MCPServer.h"
#include "catalog/ProjectTemplate.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace qlan;

TEST(AgentSkill, BuiltInSkillsAndTheDeveloperOnlyRule) {
    QStringList slugs, preselected;
    for (const AgentSkill& skill : AgentSkill::builtIn()) {
        slugs << skill.slug;
        if (skill.preselected) preselected << skill.slug;
    }
    EXPECT_EQ(slugs, (QStringList{"avoid-ai-writing", "downloads-cleanup", "skill-creator"}));
    EXPECT_EQ(preselected, QStringList{"avoid-ai-writing"});

    const AgentSkill& writing = AgentSkill::builtIn().at(0);
    EXPECT_EQ(writing, (AgentSkill{"avoid-ai-writing", "Avoid AI writing",
                                   "Make your agent write like a human, not a robot",
                                   AgentSkill::Bundle{"avoid-ai-writing"}, true, false}));
    EXPECT_EQ(AgentSkill::builtIn().at(1),
              (AgentSkill{"downloads-cleanup", "Downloads cleanup", "Moves files · Preview first",
                          AgentSkill::Bundle{"downloads-cleanup"}, false, false}));
    const AgentSkill& creator = AgentSkill::builtIn().at(2);
    EXPECT_EQ(creator, (AgentSkill{"skill-creator", "Skill creator", "Anthropic · Experimental",
                                   AgentSkill::Fetch{"anthropics/skills", "skills/skill-creator",
                                                     "57546260929473d4e0d1c1bb75297be2fdfa1949"},
                                   false, true}));
    const auto* fetch = std::get_if<AgentSkill::Fetch>(&creator.source);
    ASSERT_NE(fetch, nullptr);
    EXPECT_EQ(fetch->repositoryURL().scheme(), QStringLiteral("https"));
    EXPECT_TRUE(fetch->repositoryURL().path().endsWith(QStringLiteral("/anthropics/skills")));

    QStringList offered;
    for (const AgentSkill& skill : AgentSkill::available(false))
        offered << skill.slug;
    EXPECT_EQ(offered, (QStringList{"avoid-ai-writing", "downloads-cleanup"}));
    EXPECT_EQ(AgentSkill::available(true), AgentSkill::builtIn());

    // Equality covers every field; a bundle never equals a fetch with the same texts.
    AgentSkill changed = writing;
    changed.preselected = false;
    EXPECT_NE(changed, writing);
    EXPECT_NE(AgentSkill::Source(AgentSkill::Bundle{"x"}),
              AgentSkill::Source(AgentSkill::Fetch{"x", "", ""}));
    EXPECT_NE(AgentSkill::Source(AgentSkill::Fetch{"r", "s", "a"}),
              AgentSkill::Source(AgentSkill::Fetch{"r", "s", "b"}));
}

TEST(MCPServer, BuiltInServersAndTheirEndpoints) {
    const QList<MCPServer>& servers = MCPServer::builtIn();
    ASSERT_EQ(servers.size(), 3);
    EXPECT_EQ(servers[0].slug, QStringLiteral("firecrawl"));
    EXPECT_EQ(servers[0].displayName, QStringLiteral("Firecrawl"));
    EXPECT_EQ(servers[0].summary, QStringLiteral("Better web search than built-in agent web searches"));
    EXPECT_EQ(servers[1].slug, QStringLiteral("notion"));
    EXPECT_EQ(servers[1].displayName, QStringLiteral("Notion"));
    EXPECT_EQ(servers[1].summary,
              QStringLiteral("Connect Notion, the popular workplace productivity app. Sign-in required."));
    EXPECT_EQ(servers[2].slug, QStringLiteral("slack"));
    EXPECT_EQ(servers[2].displayName, QStringLiteral("Slack"));
    EXPECT_EQ(servers[2].summary,
              QStringLiteral("Connect Slack, the popular workplace messaging app. Sign-in required."));
    for (const MCPServer& server : servers) {
        SCOPED_TRACE(server.slug.toStdString());
        EXPECT_EQ(server.disclosure, std::nullopt);
        EXPECT_TRUE(server.url.startsWith(QStringLiteral("https://")));
    }
    EXPECT_TRUE(servers[0].url.endsWith(QStringLiteral("/v2/mcp")));
    EXPECT_TRUE(servers[1].url.endsWith(QStringLiteral("/mcp")));
    EXPECT_TRUE(servers[1].isOAuth());
    EXPECT_TRUE(servers[2].isOAuth());
    EXPECT_FALSE(servers[0].isOAuth());

    // Firecrawl: the key goes into the template on the same host; no key gives the plain URL.
    const MCPServer& firecrawl = servers[0];
    const auto& keyless = std::get<MCPServer::KeylessOptionalKey>(firecrawl.connection);
    ASSERT_TRUE(keyless.keyURLTemplate.has_value());
    const QString host = firecrawl.url.chopped(QStringLiteral("/v2/mcp").size());
    EXPECT_EQ(*keyless.keyURLTemplate, host + QStringLiteral("/{key}/v2/mcp"));
    EXPECT_EQ(firecrawl.endpoint(QStringLiteral("fc-0123abcd")),
              host + QStringLiteral("/fc-0123abcd/v2/mcp"));
    EXPECT_EQ(firecrawl.endpoint(), firecrawl.url);
    // A pasted key loses surrounding blanks; a blank key counts as none; a key cannot leave its segment.
    EXPECT_EQ(firecrawl.endpoint(QStringLiteral("  fc-9\n")), host + QStringLiteral("/fc-9/v2/mcp"));
    EXPECT_EQ(firecrawl.endpoint(QStringLiteral("   ")), firecrawl.url);
    EXPECT_EQ(firecrawl.endpoint(QStringLiteral("a/../b?x")),
              host + QStringLiteral("/a%2F..%2Fb%3Fx/v2/mcp"));
    // An OAuth server ignores a key.
    EXPECT_EQ(servers[1].endpoint(QStringLiteral("k")), servers[1].url);

    // Connections: keyless without a template is not OAuth; templates compare absent-equals-absent.
    using Connection = MCPServer::Connection;
    EXPECT_NE(Connection(MCPServer::KeylessOptionalKey{}), Connection(MCPServer::OAuth{}));
    EXPECT_EQ(Connection(MCPServer::OAuth{}), Connection(MCPServer::OAuth{}));
    EXPECT_EQ(Connection(MCPServer::KeylessOptionalKey{}), Connection(MCPServer::KeylessOptionalKey{}));
    EXPECT_NE(Connection(MCPServer::KeylessOptionalKey{}), Connection(MCPServer::KeylessOptionalKey{"t"}));
}

TEST(ProjectTemplate, TextsFoldersAndExactMatch) {
    EXPECT_EQ(allCases<ProjectTemplate>(), (std::array{ProjectTemplate::simple, ProjectTemplate::coding}));
    EXPECT_EQ(toText(ProjectTemplate::simple), QStringLiteral("simple"));
    EXPECT_EQ(toText(ProjectTemplate::coding), QStringLiteral("coding"));
    EXPECT_EQ(fromText<ProjectTemplate>(QStringLiteral("coding")), ProjectTemplate::coding);
    EXPECT_EQ(fromText<ProjectTemplate>(QStringLiteral("Coding")), std::nullopt);
    EXPECT_EQ(folderName(ProjectTemplate::simple), QStringLiteral("AI-Simple-Project"));
    EXPECT_EQ(folderName(ProjectTemplate::coding), QStringLiteral("AI-Coding-Project"));
    EXPECT_EQ((QSet<ProjectTemplate>{ProjectTemplate::coding, ProjectTemplate::coding}).size(), 1);
}
