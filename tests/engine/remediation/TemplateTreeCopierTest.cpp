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
    sandbox.writeFile(templateFolder + "/dot.claude/dot.settings", "x=1\n");
    sandbox.writeFile(templateFolder + "/scripts/run.sh", "#!/bin/sh\n", 0755);
    sandbox.writeFile(templateFolder + "/.git/HEAD", "ref: main\n");
    sandbox.writeFile("/etc/secret", "private\n");
    sandbox.makeSymlink(templateFolder + "/outside", "/etc/secret");
    sandbox.makeSymlink(templateFolder + "/readme-link", "README.md");
    sandbox.makeSymlink(templateFolder + "/scripts/loop", "..");
}

QMap<QString, QString> copiedTemplate() {
    return {{".claude", "dir"},
            {".claude/.settings", "644 x=1\n"},
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

    // A plain file or a dangling link in the way counts as an existing project too.
    sandbox.writeFile("/Users/tester/Documents/Other", "a file\n");
    sandbox.makeSymlink("/Users/tester/Documents/Gone", "/Elsewhere/Gone");
    for (const QString name : {"Other", "Gone"})
        EXPECT_EQ(
            copier.createProject(sandbox.map(templateFolder), sandbox.home() + "/Documents/" + name, false)
                .lines,
            QStringList{"A project already exists at ~/Documents/" + name + " — leaving it as is."});
    EXPECT_FALSE(sandbox.exists("/Elsewhere"));
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
        {"CLAUDE.md and its example",
         {{"CLAUDE.md", "mine\n"}, {"CLAUDE-example.md", "old example\n"}},
         {"You already had CLAUDE.md — wrote CLAUDE-example.md instead (your files are untouched)."}},
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

TEST(TemplateTreeCopier, ALinkInTheChosenFolderIsAnItemThatExistsAndNothingIsWrittenThroughIt) {
    // Links there before the copy are the user's: one at a file's name exists, one at a folder's name is
    // left out; none is followed. Outside the chosen folder: a dotfiles folder and a folder to catch writes.
    struct Case {
        const char* what;
        QMap<QString, QString> links; // below the chosen folder -> Mac path or relative target
        QStringList lines;            // after "Added the example files to ~/Work."
        QMap<QString, QString> tree;  // the chosen folder afterwards
    };
    const QString hadBoth = "You already had AGENTS.md and CLAUDE.md — wrote AGENTS-example.md and "
                            "CLAUDE-example.md instead (your files are untouched).";
    const QList<Case> cases{
        {"CLAUDE.md linking to AGENTS.md, a linked .claude, a dangling .gitignore",
         {{"CLAUDE.md", "AGENTS.md"}, {".claude", "/Users/tester/dotfiles/claude"}, {".gitignore", "/Gone"}},
         QStringList{hadBoth, "Left out .claude — it’s a symbolic link."} + linkNotes,
         {{"AGENTS.md", "644 ours\n"},
          {"AGENTS-example.md", "644 template agents\n"},
          {"CLAUDE.md", "link"},
          {"CLAUDE-example.md", "644 template claude\n"},
          {".claude", "link"},
          {".gitignore", "link"},
          {"README.md", "644 template readme\n"},
          {"scripts", "dir"},
          {"scripts/run.sh", "755 #!/bin/sh\n"}}},
        {"links at the example names, a file's name and a folder's name below",
         {{"CLAUDE-example.md", "/Elsewhere/example"},
          {"AGENTS-example.md", "/Elsewhere/dir/keep"},
          {"README.md", "/Elsewhere/dir/README.md"},
          {"scripts", "/Elsewhere/dir"},
          {".claude/.settings", "/Elsewhere/settings"}},
         {hadBoth, "Left out outside — it’s a symbolic link.", "Left out readme-link — it’s a symbolic link.",
          "Left out scripts — it’s a symbolic link."},
         {{"AGENTS.md", "644 ours\n"},
          {"AGENTS-example.md", "link"},
          {"CLAUDE.md", "644 mine\n"},
          {"CLAUDE-example.md", "link"},
          {".claude", "dir"},
          {".claude/.settings", "link"},
          {".gitignore", "644 *.o\n"},
          {"README.md", "link"},
          {"scripts", "link"}}},
    };
    const auto writeOutside = [](Sandbox& sandbox) {
        sandbox.writeFile("/Elsewhere/dir/keep", "keep\n");
        sandbox.writeFile("/Users/tester/dotfiles/claude/keep", "keep\n");
    };
    const auto expectOutsideUntouched = [](Sandbox& sandbox) {
        EXPECT_EQ(treeOf(sandbox.map("/Elsewhere")),
                  (QMap<QString, QString>{{"dir", "dir"}, {"dir/keep", "644 keep\n"}}));
        EXPECT_EQ(treeOf(sandbox.home() + "/dotfiles"),
                  (QMap<QString, QString>{{"claude", "dir"}, {"claude/keep", "644 keep\n"}}));
        EXPECT_FALSE(sandbox.exists("/Gone"));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sandbox sandbox;
        writeTemplate(sandbox);
        writeOutside(sandbox);
        sandbox.writeFile("/Users/tester/Work/AGENTS.md", "ours\n");
        if (!c.links.contains("CLAUDE.md")) sandbox.writeFile("/Users/tester/Work/CLAUDE.md", "mine\n");
        for (auto it = c.links.begin(); it != c.links.end(); ++it)
            sandbox.makeSymlink("/Users/tester/Work/" + it.key(), it.value());
        const QString folder = sandbox.home() + "/Work";
        const auto result = TemplateTreeCopier(sandbox.services().fs)
                                .createProject(sandbox.map(templateFolder), folder, true);
        EXPECT_EQ(result.lines, QStringList{"Added the example files to ~/Work."} + c.lines);
        EXPECT_TRUE(result.succeeded);
        EXPECT_EQ(treeOf(folder), c.tree);
        expectOutsideUntouched(sandbox);
    }

    // A link planted while the copy runs, where it is about to write, still ends it: into the chosen
    // folder (the folder the copy just made is swapped for a link) and into a new project's staging folder.
    const QList<std::pair<bool, QString>> planted{{true, "/scripts/run.sh"}, {false, "/README.md"}};
    for (const auto& plant : planted) {
        const bool intoExisting = plant.first;
        const QString& file = plant.second;
        SCOPED_TRACE(file.toStdString());
        Sandbox sandbox;
        writeTemplate(sandbox);
        writeOutside(sandbox);
        auto fs = std::make_shared<test::FaultyFileSystem>(sandbox.services().fs);
        QString link;
        fs->beforeWrite = [&](const QString& path) {
            if (!link.isEmpty() || !path.endsWith(file)) return;
            link = intoExisting ? QFileInfo(path).path() : path;
            QDir().rmdir(link);
            sandbox.makeSymlink(link, "/Elsewhere/dir");
        };
        const QString folder = sandbox.home() + (intoExisting ? "/Work" : "/Documents/Sample");
        const auto result =
            TemplateTreeCopier(fs).createProject(sandbox.map(templateFolder), folder, intoExisting);
        EXPECT_EQ(
            result.lines,
            QStringList{(intoExisting ? "Couldn't add the example files to ~/Work: "
                                      : "Couldn't create the project at ~/Documents/Sample: ") +
                        QString("Couldn't write “") + link +
                        "”: it is a symbolic link, which is never followed inside the folder being filled"});
        EXPECT_FALSE(result.succeeded);
        expectOutsideUntouched(sandbox);
        if (!intoExisting) {
            EXPECT_TRUE(treeOf(sandbox.home() + "/Documents").isEmpty());
        }
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
