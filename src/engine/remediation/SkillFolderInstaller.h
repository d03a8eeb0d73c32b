#pragma once
// Puts one agent skill (a folder of instructions, sometimes scripts) into the "skills" folder of every AI
// agent set up on the Mac, leaving alone every agent that already has a skill of that name, and reports
// what it did as lines. Never deletes anything and never replaces an existing skill folder; a skill
// folder appears whole or not at all.

#include "platform/FileSystemOperating.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace qlan {

class SkillFolderInstaller {
public:
    struct Agent {
        QString label;     // as shown in the lines
        QString configDir; // relative to the home folder; the agent is set up when it exists
        friend bool operator==(const Agent&, const Agent&) = default;
    };

    struct Result {
        QStringList lines; // for the job's output, in order
        bool succeeded = false;
        QStringList installedFor; // labels of the agents that received the skill in this call
        friend bool operator==(const Result&, const Result&) = default;
    };

    explicit SkillFolderInstaller(std::shared_ptr<FileSystemOperating> fs)
        : fs(std::move(fs)) {}

    std::shared_ptr<FileSystemOperating> fs;

    // Claude (.claude), Codex (.codex), Zed (.agents): the order of checking, copying and listing.
    static const QList<Agent>& agents();

    // Copies the folder `source` to <home>/<configDir>/skills/<name> for each agent set up that lacks it;
    // a link at that name, dangling or not, is a skill the agent has. The skills folder may be reached
    // through links (it often is, shared between agents); nothing below it is (FolderCopy). Never
    // throws.
    Result install(const QString& source, const QString& name) const;

    // At least one agent is set up and every agent set up has the skill (a link at its name counts).
    bool isInstalled(const QString& name) const;

private:
    QString skillsFolder(const Agent& agent) const;
    QList<Agent> agentsSetUp() const;
};

} // namespace qlan
