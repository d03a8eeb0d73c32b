#pragma once
// The managed "Development environment" section in the AI agents' global instruction files
// (~/.claude/CLAUDE.md for Claude, ~/.codex/AGENTS.md for Codex), which tells an agent how the Mac's
// toolchain is organised. Every home-relative path comes from the home folder that `fs` reports; only
// existence checks and reads through `fs` decide what is found.

#include "catalog/SetupFileState.h"
#include "platform/FileSystemOperating.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace qlan {

class AgentEnvDoc {
public:
    // The tools found on the Mac.
    using DetectedTools = SetupFileState::DetectedTools;

    struct Result {
        QStringList messages;
        bool succeeded = true;
        friend bool operator==(const Result&, const Result&) = default;
    };

    explicit AgentEnvDoc(std::shared_ptr<FileSystemOperating> fs)
        : fs(std::move(fs)) {}

    std::shared_ptr<FileSystemOperating> fs;

    // A file that contains this text anywhere holds the managed section (the same in every edition).
    static constexpr QStringView sectionMarker = SetupFileState::agentSectionMarker;

    QString claudeDocPath() const; // ~/.claude/CLAUDE.md
    QString codexDocPath() const;  // ~/.codex/AGENTS.md

    // True when a managed section still has to be written: Claude is detected and ~/.claude/CLAUDE.md
    // lacks the section marker, or Codex is detected and ~/.codex/AGENTS.md lacks it. A missing or
    // unreadable file lacks it; with neither agent detected the answer is false. Never throws; changes
    // nothing.
    bool readDocs() const;

    // Writes the section into each detected agent's file (Claude first, then Codex, whatever the first
    // gave): one message per file. With neither agent detected, one message and nothing is touched.
    Result document() const;

    // The section text for the tools found; it ends with a line feed.
    static QString render(const DetectedTools& tools);

    // Adds the section to one file unless the file already holds the marker: a non-empty file is backed
    // up first (name + ".bak"), the section follows after one line feed (two when the text does not end
    // with one). Appends one message; a failure, including an existing file that is not UTF-8 text
    // (left untouched), sets `succeeded` to false.
    void write(const QString& path, const QString& section, const QString& label, QStringList& messages,
               bool& succeeded) const;

    // Existence checks only; the user's PATH is not consulted.
    DetectedTools detectTools() const;

    // "/opt/homebrew/bin/<name>" or "/usr/local/bin/<name>" exists, asked in that order.
    bool isInHomebrewBin(const QString& name) const;
    // ~/.zprofile, read as UTF-8, contains the text anywhere (comment lines too); false when it is
    // missing or unreadable.
    bool zprofileContains(const QString& text) const;

private:
    bool exists(const QString& path) const;
};

} // namespace qlan
