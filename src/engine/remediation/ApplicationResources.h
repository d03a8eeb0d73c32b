#pragma once
// The application's own resource folders ("example-projects" with the project templates, "skills" with
// the bundled agent skills). They ship beside the program, and are found from the program's location the
// same way in every tree: "<program folder>/../Resources" inside a Mac application bundle,
// "<program folder>/../share/quillane" in an installed tree and in the build tree (the build copies
// them there; every program of the build sits one folder below the build folder).

#include "platform/FileSystemOperating.h"

#include <QString>

#include <optional>

namespace qlan {

class ApplicationResources {
public:
    explicit ApplicationResources(QString root)
        : root(std::move(root)) {}

    // The folder that holds the resource folders.
    QString root;

    // The resources of the running program (`besideProgram` of its folder). Looked up once, on the first
    // use after the application object exists.
    static ApplicationResources installed();

    // The resources of a program in `programFolder`: the first of the bundle's and the installed tree's
    // folders that exists, else the installed tree's folder (whose lookups then find nothing).
    static ApplicationResources besideProgram(const QString& programFolder);

    // root + "/" + relative when `fs` finds an item there.
    std::optional<QString> folder(const FileSystemOperating& fs, const QString& relative) const;

    friend bool operator==(const ApplicationResources&, const ApplicationResources&) = default;
};

} // namespace qlan
