#pragma once
// Gives the user a first project to work in with an AI agent: copies a project template shipped with the
// application into a new project folder, or adds it to a folder the user chose without replacing any of
// the user's files. For the agent instruction files (CLAUDE.md, AGENTS.md) that the user already has, the
// template's copy goes beside them under an example name instead.
// Template entries named "dot.<rest>" arrive as hidden ".<rest>" entries, at every depth. No link inside
// the destination is followed (FolderCopy): in a chosen folder a link is one of the user's items (one at
// a file's name exists, one at a folder's name is left out with a note); only a link planted while the
// copy runs makes it fail, naming it.

#include "platform/FileSystemOperating.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

namespace qlan {

class TemplateTreeCopier {
public:
    struct Result {
        QStringList lines; // for the job's output, in order
        bool succeeded = false;
        friend bool operator==(const Result&, const Result&) = default;
    };

    explicit TemplateTreeCopier(std::shared_ptr<FileSystemOperating> fs)
        : fs(std::move(fs)) {}

    std::shared_ptr<FileSystemOperating> fs;

    // The instruction files that get an example copy beside the user's own.
    static const QSet<QString>& exampleCopyNames();

    // New project (`intoExisting` false): the template arrives whole at `destination`, or nothing does; an
    // existing destination is left as it is. Chosen folder (`intoExisting` true): the folder is created
    // when missing and gets every template file it lacks. Never throws.
    Result createProject(const QString& templatePath, const QString& destination, bool intoExisting) const;

    // Copies the template's entries into the existing folder `to`. With `intoExisting`, items already
    // there stay; for an instruction file of exampleCopyNames() its example copy is written beside it
    // when that name is free, and its name is appended to `written` either way. `notes` receives a line
    // per entry left out. Throws the first error met.
    void copyTree(const QString& from, const QString& to, bool intoExisting, QStringList& written,
                  QStringList* notes = nullptr) const;

    // The path for the user: the home folder itself as "~", a path below it as "~/..."; any other path
    // unchanged.
    QString displayPath(const QString& path) const;

    // "CLAUDE.md" -> "CLAUDE-example.md"; a name without an extension gets "-example" at its end.
    static QString exampleName(const QString& name);
};

} // namespace qlan
