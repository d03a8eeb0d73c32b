// Projects, skills, MCP servers, Git and GitHub. Not built yet: each completes with -1 after one line.

#include "remediation/RemediationJobs.h"

namespace qlan::jobs {

Events createProject(const Runner&, const SetupRemediation::CreateProject&) {
    return Runner::unavailable(QStringLiteral("example"));
}
Events installSkill(const Runner&, const AgentSkill& skill) {
    return Runner::unavailable(QStringLiteral("skill:") + skill.slug);
}
Events addMCPServer(const Runner&, const SetupRemediation::AddMCPServer& server) {
    return Runner::unavailable(QStringLiteral("mcp:") + server.server.slug);
}
Events configureGit(const Runner&, const SetupRemediation::ConfigureGit&) {
    return Runner::unavailable(QStringLiteral("git:config"));
}
Events installGh(const Runner&) {
    return Runner::unavailable(QStringLiteral("brew:gh"));
}
Events githubAuth(const Runner&) {
    return Runner::unavailable(QStringLiteral("git:gh-auth"));
}

} // namespace qlan::jobs
