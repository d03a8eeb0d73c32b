#include "remediation/SkillFolderInstaller.h"

#include "platform/PlatformError.h"
#include "platform/ProbeSupport.h"
#include "remediation/FolderCopy.h"

namespace qlan {

const QList<SkillFolderInstaller::Agent>& SkillFolderInstaller::agents() {
    // Read on job threads, also while the process ends: never destroyed.
    static const auto* const table = new QList<Agent>{
        {QStringLiteral("Claude"), QStringLiteral(".claude")},
        {QStringLiteral("Codex"), QStringLiteral(".codex")},
        {QStringLiteral("Zed"), QStringLiteral(".agents")},
    };
    return *table;
}

QString SkillFolderInstaller::skillsFolder(const Agent& agent) const {
    return fs->homeDirectory() + QLatin1Char('/') + agent.configDir + QStringLiteral("/skills");
}

QList<SkillFolderInstaller::Agent> SkillFolderInstaller::agentsSetUp() const {
    QList<Agent> found;
    for (const Agent& agent : agents())
        if (fs->fileExists(fs->homeDirectory() + QLatin1Char('/') + agent.configDir)) found.append(agent);
    return found;
}

SkillFolderInstaller::Result SkillFolderInstaller::install(const QString& source, const QString& name) const {
    if (!fs->fileExists(source))
        return {{QStringLiteral("Couldn't find the skill files for %1.").arg(name)}, false, {}};
    const QList<Agent> setUp = agentsSetUp();
    if (setUp.isEmpty())
        return {
            {QStringLiteral("No AI agent is set up yet — nothing to install %1 into.").arg(name)}, true, {}};

    QStringList installedFor;
    QStringList alreadyHad;
    QStringList notes;
    for (const Agent& agent : setUp) {
        const QString destination = skillsFolder(agent) + QLatin1Char('/') + name;
        if (probing::itemExists(fs.get(), destination)) { // a link there too, dangling or not
            alreadyHad.append(agent.label);
            continue;
        }
        FolderCopy copy(fs, {});
        try {
            copy.copyToNewFolder(source, destination);
        } catch (const std::exception& error) {
            return {{QStringLiteral("Couldn't install %1: %2").arg(name, errorDescription(error))},
                    false,
                    installedFor};
        }
        if (notes.isEmpty()) notes = copy.notes(); // the same source gives the same notes for every agent
        installedFor.append(agent.label);
    }

    QStringList lines;
    const QString separator = QStringLiteral(", ");
    if (!installedFor.isEmpty())
        lines.append(QStringLiteral("Installed %1 for %2.").arg(name, installedFor.join(separator)));
    if (!alreadyHad.isEmpty())
        lines.append(QStringLiteral("%1 already had %2 — left as is.").arg(alreadyHad.join(separator), name));
    return {lines + notes, true, installedFor};
}

bool SkillFolderInstaller::isInstalled(const QString& name) const {
    const QList<Agent> setUp = agentsSetUp();
    if (setUp.isEmpty()) return false;
    for (const Agent& agent : setUp)
        if (!probing::itemExists(fs.get(), skillsFolder(agent) + QLatin1Char('/') + name)) return false;
    return true;
}

} // namespace qlan
