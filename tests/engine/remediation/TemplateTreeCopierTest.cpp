// Copying a project template: a new project appears whole or not at all, a chosen folder keeps every file
// of the user's and follows none of its links, hidden "dot." names, links, ".git" and permission bits, on
// real files in a sandbox.

#include "remediation/TemplateTreeCopier.h"

#include "FaultyFileSystem.h"
#include "FolderTree.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::Sandbox;
using qlan::test::treeOf;

namespace {

const QString templateFolder = QStringLiteral("/Templates/Sample");

// A template with hidden names at two depths, a script, a ".git" folder, a link out of the template, a
// link to a file inside it and a link cycle.
void writeTemplate(Sandbox& sandbox) {
    sandbox.writeFile(templateFolder + "/CLAUDE.md", "template claude\n");
    sandbox.writeFile(templateFolder + "/AGENTS.md", "template agents\n");
    sandbox.writeFile(templateFolder + "/README.md", "template readme\n");
    sandbox.writeFile(templateFolder + "/dot.gitignore", "*.o\n");
    sandbox.writeFile(templateFolder + "/dot.config/dot.settings", "x=1\n");
    sandbox.writeFile(templateFolder + "/scripts/run.sh", "#!/bin/sh\n", 0755);
    sandbox.writeFile(templateFolder + "/.git/HEAD", "ref: main\n");
    sandbox.writeFile("/etc/secret", "private\n");
    sandbox.makeSymlink(templateFolder + "/outside", "/etc/secret");
    sandbox.makeSymlink(templateFolder + "/readme-link", "README.md");
    sandbox.makeSymlink(templateFolder + "/scripts/loop", "..");
}

QMap<QString, QString> copiedTemplate() {
    return {{".config", "dir"},
            {".config/.settings", "644 x=1\n"},
            {".gitignore", "644 *.o\n"},
            {"AGENTS.md", "644 template agents\n"},
            {"CLAUDE.md", "644 template claude\n"},
            {"README.md", "644 template readme\n"},
            {"scripts", "dir"},
            {"scripts/run.sh", "755 #!/bin/sh\n"}};
}

const QStringList linkNotes{"Left out outside — it’s a symbolic link.",
                            "Left out readme-link — it’s a symbolic link.",
                            "Left out scripts/loop — it’s a symbolic link."};

} // namespace

TEST(TemplateTreeCopier, NewProjectArrivesWholeOnceAndIsThenLeftAlone) {
    Sandbox sandbox;
    writeTemplate(sandbox);
    const TemplateTreeCopier copier(sandbox.services().fs);
    const QString destination = sandbox.home() + "/Documents/Sample";

    auto result = copier.createProject(sandbox.map(templateFolder), destination, false);
    EXPECT_EQ(result.lines, QStringList{"Created your project at ~/Documents/Sample."} + linkNotes);
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(treeOf(destination), copiedTemplate());
    EXPECT_EQ(
        QDir(sandbox.home() + "/Documents").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{"Sample"})
        << "no staging folder is left beside it";

    sandbox.writeFile("/Users/tester/Documents/Sample/README.md", "mine\n");
    result = copier.createProject(sandbox.map(templateFolder), destination, false);
    EXPECT_EQ(result, (TemplateTreeCopier::Result{
                          {"A project already exists at ~/Documents/Sample — leaving it as is."}, true}));
    EXPECT_EQ(sandbox.readFile("/Users/tester/Documents/Sample/README.md"), "mine\n");

    // A plain file in the way counts as an existing project too.
    sandbox.writeFile("/Users/tester/Documents/Other", "a file\n");
    EXPECT_TRUE(copier.createProject(sandbox.map(templateFolder), sandbox.home() + "/Documents/Other", false)
                    .lines.value(0)
                    .startsWith("A project already exists at ~/Documents/Other"));
}

TEST(TemplateTreeCopier, AFailedNewProjectLeavesNoFolder) {
    Sandbox sandbox;
    writeTemplate(sandbox);
    auto fs = std::make_shared<test::FaultyFileSystem>(sandbox.services().fs);
    fs->failWrite = [](const QString& path) { return path.endsWith("/README.md"); };
    fs->description = "disk full";
    const auto result = TemplateTreeCopier(fs).createProject(sandbox.map(templateFolder),
                                                             sandbox.home() + "/Documents/Sample", false);
    EXPECT_EQ(result, (TemplateTreeCopier::Result{
                          {"Couldn't create the project at ~/Documents/Sample: disk full"}, false}));
    EXPECT_TRUE(treeOf(sandbox.home() + "/Documents").isEmpty());

    const auto missing =
        TemplateTreeCopier(fs).createProject(sandbox.map("/Templates/None"), sandbox.home() + "/P", false);
    EXPECT_EQ(missing.lines, QStringList{"Couldn't find the bundled project template at " +
                                         sandbox.map("/Templates/None") + "."});
    EXPECT_FALSE(missing.succeeded);
}

TEST(TemplateTreeCopier, AChosenFolderKeepsTheUsersFilesAndSaysWhatWasWrittenInstead) {
    struct Case {
        const char* what;
        QMap<QString, QByteArray> userFiles; // relative to the chosen folder
        QStringList secondLines;
    };
    const QList<Case> cases{
        {"empty folder", {}, {}},
        {"own CLAUDE.md",
         {{"CLAUDE.md", "mine\n"}},
         {"You already had CLAUDE.md — wrote CLAUDE-example.md instead (your files are untouched)."}},
        {"both instruction files",
         {{"CLAUDE.md", "mine\n"}, {"AGENTS.md", "ours\n"}},
         {"You already had AGENTS.md and CLAUDE.md — wrote AGENTS-example.md and CLAUDE-example.md instead "
          "(your "
          "files are untouched)."}},
        {"CLAUDE.md and its example", {{"CLAUDE.md", "mine\n"}, {"CLAUDE-example.md", "old example\n"}}, {}},
        {"another file of the template", {{"README.md", "mine\n"}, {".gitignore", "node_modules\n"}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sandbox sandbox;
        writeTemplate(sandbox);
        sandbox.makeDirectory("/Users/tester/Work");
        for (auto it = c.userFiles.begin(); it != c.userFiles.end(); ++it)
            sandbox.writeFile("/Users/tester/Work/" + it.key(), it.value());
        const QString folder = sandbox.home() + "/Work";
        const auto result = TemplateTreeCopier(sandbox.services().fs)
                                .createProject(sandbox.map(templateFolder), folder, true);
        EXPECT_EQ(result.lines,
                  QStringList{"Added the example files to ~/Work."} + c.secondLines + linkNotes);
        EXPECT_TRUE(result.succeeded);
        const QMap<QString, QString> tree = treeOf(folder);
        for (auto it = c.userFiles.begin(); it != c.userFiles.end(); ++it)
            EXPECT_EQ(tree.value(it.key()), "644 " + QString::fromUtf8(it.value())) << it.key().toStdString();
        for (const QString& name : {QString("CLAUDE.md"), QString("AGENTS.md")}) {
            const QString example = TemplateTreeCopier::exampleName(name);
            if (!c.userFiles.contains(name)) {
                EXPECT_EQ(tree.value(name), copiedTemplate().value(name));
                EXPECT_FALSE(tree.contains(example)) << example.toStdString();
            } else if (!c.userFiles.contains(example)) {
                EXPECT_EQ(tree.value(example), copiedTemplate().value(name)) << example.toStdString();
            }
        }
        EXPECT_EQ(tree.value("scripts/run.sh"), "755 #!/bin/sh\n");
        EXPECT_FALSE(tree.contains(".git"));
    }

    // A chosen folder that does not exist yet, outside the home folder: created, full path shown.
    Sandbox sandbox;
    writeTemplate(sandbox);
    const QString outside = sandbox.map("/Projects/New");
    const auto result =
        TemplateTreeCopier(sandbox.services().fs).createProject(sandbox.map(templateFolder), outside, true);
    EXPECT_EQ(result.lines, QStringList{"Added the example files to " + outside + "."} + linkNotes);
    EXPECT_EQ(treeOf(outside), copiedTemplate());
}

TEST(TemplateTreeCopier, ALinkInTheChosenFolderIsRefusedAndNothingIsWrittenOutside) {
    // A cloned repository may hold links to anywhere; none is followed, and the copy fails naming it.
    struct Case {
        QString link;   // below the chosen folder
        QString target; // Mac path outside it
        QString error;  // the platform error's start; its path is the link's
    };
    const QList<Case> cases{
        {"README.md", "/Elsewhere/dir/README.md", "Couldn't write"},
        {".gitignore", "/Elsewhere/gitignore", "Couldn't write"},
        {"scripts", "/Elsewhere/dir", "Couldn't create the folder"},
        {".config/.settings", "/Elsewhere/settings", "Couldn't write"},
        {"CLAUDE-example.md", "/Elsewhere/example", "Couldn't write"}, // beside the user's CLAUDE.md
    };
    const QMap<QString, QString> elsewhere{{"dir", "dir"}, {"dir/keep", "644 keep\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link.toStdString());
        Sandbox sandbox;
        writeTemplate(sandbox);
        sandbox.writeFile("/Elsewhere/dir/keep", "keep\n");
        sandbox.writeFile("/Users/tester/Work/CLAUDE.md", "mine\n");
        sandbox.makeSymlink("/Users/tester/Work/" + c.link, c.target);
        const QString folder = sandbox.home() + "/Work";
        const auto result = TemplateTreeCopier(sandbox.services().fs)
                                .createProject(sandbox.map(templateFolder), folder, true);
        EXPECT_EQ(result.lines,
                  QStringList{"Couldn't add the example files to ~/Work: " + c.error + " “" + folder + "/" +
                              c.link +
                              "”: it is a symbolic link, which is never followed inside the folder "
                              "being filled"});
        EXPECT_FALSE(result.succeeded);
        EXPECT_EQ(treeOf(sandbox.map("/Elsewhere")), elsewhere);
        EXPECT_EQ(sandbox.readFile("/Users/tester/Work/CLAUDE.md"), "mine\n");
    }

    // The chosen folder itself may be reached through a link: the user chose it.
    Sandbox sandbox;
    writeTemplate(sandbox);
    sandbox.makeSymlink("/Users/tester/Linked", "/Elsewhere/Project");
    sandbox.makeDirectory("/Elsewhere/Project");
    const auto result = TemplateTreeCopier(sandbox.services().fs)
                            .createProject(sandbox.map(templateFolder), sandbox.home() + "/Linked", true);
    EXPECT_TRUE(result.succeeded) << result.lines.join('\n').toStdString();
    EXPECT_EQ(treeOf(sandbox.map("/Elsewhere/Project")), copiedTemplate());
}

TEST(TemplateTreeCopier, DisplayPathAndExampleNames) {
    Sandbox sandbox;
    const TemplateTreeCopier copier(sandbox.services().fs);
    const QString home = sandbox.home();
    const QList<std::pair<QString, QString>> paths{{home, "~"},
                                                   {home + "/Documents/P", "~/Documents/P"},
                                                   {home + "by/x", home + "by/x"},
                                                   {"/Volumes/P", "/Volumes/P"}};
    for (const auto& [path, shown] : paths)
        EXPECT_EQ(copier.displayPath(path), shown);
    const QList<std::pair<QString, QString>> names{{"CLAUDE.md", "CLAUDE-example.md"},
                                                   {"AGENTS.md", "AGENTS-example.md"},
                                                   {"Makefile", "Makefile-example"},
                                                   {"a.tar.gz", "a.tar-example.gz"},
                                                   {".env", ".env-example"}};
    for (const auto& [name, example] : names)
        EXPECT_EQ(TemplateTreeCopier::exampleName(name), example);
}
