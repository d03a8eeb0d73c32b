#include "catalog/AgentSkill.h"

#include "catalog/VendorHosts.h"

namespace qlan {

QUrl AgentSkill::Fetch::repositoryURL() const {
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(QString::fromLatin1(VendorHosts::codeHost));
    url.setPath(QLatin1Char('/') + repo);
    return url;
}

const QList<AgentSkill>& AgentSkill::builtIn() {
    // Read on the pickers' reading threads, also while the process ends: never destroyed.
    static const auto* const skills = new QList<AgentSkill>{
        {QStringLiteral("avoid-ai-writing"), QStringLiteral("Avoid AI writing"),
         QStringLiteral("Make your agent write like a human, not a robot"),
         Bundle{QStringLiteral("avoid-ai-writing")}, true, false},
        {QStringLiteral("downloads-cleanup"), QStringLiteral("Downloads cleanup"),
         QStringLiteral("Moves files · Preview first"), Bundle{QStringLiteral("downloads-cleanup")}, false,
         false},
        {QStringLiteral("skill-creator"), QStringLiteral("Skill creator"),
         QStringLiteral("Anthropic · Experimental"),
         Fetch{QStringLiteral("anthropics/skills"), QStringLiteral("skills/skill-creator"),
               QStringLiteral("57546260929473d4e0d1c1bb75297be2fdfa1949")},
         false, true},
    };
    return *skills;
}

QList<AgentSkill> AgentSkill::available(bool includeDeveloperOnly) {
    QList<AgentSkill> skills;
    for (const AgentSkill& skill : builtIn())
        if (includeDeveloperOnly || !skill.developerOnly) skills.append(skill);
    return skills;
}

} // namespace qlan
