#pragma once
// Where a sandbox lives on this machine, and how a Mac path resolves inside it.

#include <QString>

namespace qlan::test {

struct SandboxLayout {
    QString root; // canonical real path of the folder that plays "/"
    QString home; // root + "/Users/" + the home's name

    // A Mac path resolved inside the root. The path is first normalised lexically ("." and empty
    // components dropped, ".." removes the component before it and stops at "/"), so nothing escapes the
    // root. A path that is already inside the root stays there (mapping twice is harmless); relative and
    // empty paths are returned unchanged.
    QString map(const QString& macPath) const;

    // True when the (normalised) path is the root or lies below it.
    bool contains(const QString& path) const;

    friend bool operator==(const SandboxLayout&, const SandboxLayout&) = default;
};

// "/a/./b//../c/" -> "/a/c"; "/.." -> "/". Absolute paths only.
QString normalizeAbsolutePath(const QString& path);

} // namespace qlan::test
