// Installing a skill folder for every AI agent set up, over the agent matrix, with the links, cycles,
// ".git" and permission bits of a real source folder, links in the agents' folders, and a failed copy
// that leaves nothing behind.

#include "remediation/SkillFolderInstaller.h"

#include "FaultyFileSystem.h"
#include "FolderTree.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::Sandbox;
using qlan::test::treeOf;

namespace {

const QString source = QStringLiteral("/Skills/tidy");

void writeSkill(Sandbox& sandbox) {
    sandbox.writeFile(source + "/SKILL.md", "# Tidy\n");
    sandbox.writeFile(source + "/.hidden", "h\n");
    sandbox.writeFile(source + "/scripts/tidy.sh", "#!/bin/sh\n", 0755);
    sandbox.writeFile(source + "/.git/config", "[core]\n");
    sandbox.writeFile("/Users/tester/.ssh/id_ed25519", "key\n");
    sandbox.makeSymlink(source + "/ssh", "/Users/tester/.ssh");
    sandbox.makeSymlink(source + "/scripts/up", "..");
}

const QMap<QString, QString> installedTree{{".hidden", "644 h\n"},
                                           {"SKILL.md", "644 # Tidy\n"},
                                           {"scripts", "dir"},
                                           {"scripts/tidy.sh", "755 #!/bin/sh\n"}};
// The tree as it shows inside a folder of that name.
QMap<QString, QString> inFolder(const QString& name, const QMap<QString, QString>& tree) {
    QMap<QString, QString> entries{{name, "dir"}};
    for (auto it = tree.begin(); it != tree.end(); ++it)
        entries.insert(name + "/" + it.key(), it.value());
    return entries;
}

const QStringList linkNotes{"Left out scripts/up — it’s a symbolic link.",
                            "Left out ssh — it’s a symbolic link."};

} // namespace

TEST(SkillFolderInstaller, EveryAgentSetUpGetsTheSkillOnceWithTheLinesToMatch) {
    struct Case {
        QStringList agents;      // config folders present
        QStringList alreadyHave; // config folders whose skills folder has "tidy"
        QStringList lines;
        QStringList installedFor;
    };
    const QList<Case> cases{
        {{}, {}, {"No AI agent is set up yet — nothing to install tidy into."}, {}},
        {{".claude", ".agents"},
         {},
         QStringList{"Installed tidy for Claude, Zed."} + linkNotes,
         {"Claude", "Zed"}},
        {{".claude", ".codex"},
         {".claude"},
         QStringList{"Installed tidy for Codex.", "Claude already had tidy — left as is."} + linkNotes,
         {"Codex"}},
        {{".claude", ".codex", ".agents"},
         {".claude", ".codex", ".agents"},
         {"Claude, Codex, Zed already had tidy — left as is."},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.agents.join(' ').toStdString());
        Sandbox sandbox;
        writeSkill(sandbox);
        for (const QString& agent : c.agents)
            sandbox.makeDirectory("/Users/tester/" + agent);
        for (const QString& agent : c.alreadyHave)
            sandbox.writeFile("/Users/tester/" + agent + "/skills/tidy/SKILL.md", "older\n");
        const SkillFolderInstaller installer(sandbox.services().fs);
        EXPECT_EQ(installer.isInstalled("tidy"),
                  !c.agents.isEmpty() && c.alreadyHave.size() == c.agents.size());

        const auto result = installer.install(sandbox.map(source), "tidy");
        EXPECT_EQ(result, (SkillFolderInstaller::Result{c.lines, true, c.installedFor}));
        for (const QString& agent : c.agents) {
            const QString folder = sandbox.home() + "/" + agent + "/skills";
            if (c.alreadyHave.contains(agent))
                EXPECT_EQ(treeOf(folder + "/tidy"), (QMap<QString, QString>{{"SKILL.md", "644 older\n"}}));
            else
                EXPECT_EQ(treeOf(folder), inFolder("tidy", installedTree));
        }
        EXPECT_EQ(installer.isInstalled("tidy"), !c.agents.isEmpty());
    }
}

TEST(SkillFolderInstaller, ALinkAtTheSkillsNameIsASkillTheAgentHas) {
    // Agents often share skills through links: a link at the skill's name, dangling or not, is the
    // agent's own skill and is never written through; a linked skills folder is filled.
    Sandbox sandbox;
    writeSkill(sandbox);
    sandbox.makeSymlink("/Users/tester/.claude/skills/tidy", "/Users/tester/gone");
    sandbox.makeDirectory("/Users/tester/shared-skills");
    sandbox.makeSymlink("/Users/tester/.codex/skills", "/Users/tester/shared-skills");
    sandbox.makeSymlink("/Users/tester/.agents/skills/tidy", "/Users/tester/shared-skills/tidy");
    const SkillFolderInstaller installer(sandbox.services().fs);
    EXPECT_FALSE(installer.isInstalled("tidy"));

    EXPECT_EQ(installer.install(sandbox.map(source), "tidy"),
              (SkillFolderInstaller::Result{
                  QStringList{"Installed tidy for Codex.", "Claude, Zed already had tidy — left as is."} +
                      linkNotes,
                  true,
                  {"Codex"}}));
    EXPECT_EQ(treeOf(sandbox.home() + "/shared-skills"), inFolder("tidy", installedTree));
    EXPECT_FALSE(sandbox.exists("/Users/tester/gone"));
    EXPECT_TRUE(installer.isInstalled("tidy"));
}

TEST(SkillFolderInstaller, AFailedCopyLeavesNoFolderThatCountsAsInstalled) {
    Sandbox sandbox;
    writeSkill(sandbox);
    sandbox.makeDirectory("/Users/tester/.claude");
    sandbox.makeDirectory("/Users/tester/.codex");
    auto fs = std::make_shared<test::FaultyFileSystem>(sandbox.services().fs);
    fs->description = "disk full";
    fs->failWrite = [](const QString& path) {
        return path.contains("/.codex/") && path.endsWith("/tidy.sh");
    };

    const SkillFolderInstaller installer(fs);
    EXPECT_EQ(installer.install(sandbox.map(source), "tidy"),
              (SkillFolderInstaller::Result{{"Couldn't install tidy: disk full"}, false, {"Claude"}}));
    EXPECT_EQ(treeOf(sandbox.home() + "/.codex/skills"), (QMap<QString, QString>{}));
    EXPECT_FALSE(installer.isInstalled("tidy"));

    // The next try finishes the job for Codex and leaves Claude's copy alone.
    fs->failWrite = nullptr;
    EXPECT_EQ(
        installer.install(sandbox.map(source), "tidy").lines,
        (QStringList{"Installed tidy for Codex.", "Claude already had tidy — left as is."} + linkNotes));
    EXPECT_TRUE(installer.isInstalled("tidy"));

    const SkillFolderInstaller::Result missing{{"Couldn't find the skill files for none."}, false, {}};
    EXPECT_EQ(installer.install(sandbox.map("/Skills/none"), "none"), missing);
}

TEST(SkillFolderInstaller, ACopyCutShortIsClearedByTheNextRun) {
    Sandbox sandbox;
    writeSkill(sandbox);
    const QString skills = "/Users/tester/.claude/skills/";
    const QString leftover = skills + ".tidy.incoming-0b7e5d0c-8a7e-4f0e-9a53-2b1c6f2d9e11";
    sandbox.writeFile(leftover + "/SKILL.md", "half\n");
    sandbox.writeFile(skills + ".tidy.incoming-mine/keep", "not ours\n");
    sandbox.writeFile(skills + ".other.incoming-0b7e5d0c-8a7e-4f0e-9a53-2b1c6f2d9e11/keep",
                      "another skill's\n");

    EXPECT_TRUE(SkillFolderInstaller(sandbox.services().fs).install(sandbox.map(source), "tidy").succeeded);
    EXPECT_FALSE(sandbox.exists(leftover));
    EXPECT_EQ(treeOf(sandbox.home() + "/.claude/skills/tidy"), installedTree);
    EXPECT_TRUE(sandbox.exists(skills + ".tidy.incoming-mine/keep"));
    EXPECT_TRUE(sandbox.exists(skills + ".other.incoming-0b7e5d0c-8a7e-4f0e-9a53-2b1c6f2d9e11/keep"));
}
