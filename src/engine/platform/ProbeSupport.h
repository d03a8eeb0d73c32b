#pragma once
// What the probes share: commands run without ever throwing (directly or through the user's login
// shell), file tests that never fail, and the text rules of their parsers (line splitting, trimming).

#include "platform/FileSystemOperating.h"
#include "platform/ProcessRunning.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace qlan::probing {

// How long a login-shell command may take: a ~/.zprofile that hangs (waiting on the network, a prompt,
// a lock) must not hold up the probe that asks.
inline constexpr std::chrono::seconds loginShellTimeLimit{30};

// The outcome of one collected command: the result when the program ran, otherwise the description of
// why it could not be started.
struct CommandOutcome {
    std::optional<ProcessResult> result;
    QString failure;

    bool exitedZero() const { return result && result->exitCode == 0; }
};

// Runs the program with the application's environment and collects its output. Never throws.
CommandOutcome runCommand(ProcessRunning* process, const QString& executable, const QStringList& arguments);

// Like runCommand, but a program not done within `timeLimit` is stopped (see
// ProcessRunning::runWithTimeLimit) and gives no result, its failure saying so.
CommandOutcome runCommand(ProcessRunning* process, const QString& executable, const QStringList& arguments,
                          std::chrono::milliseconds timeLimit);

// Runs "/bin/zsh -lc <command>" the same way (the login shell reads ~/.zprofile, so PATH is the one a new
// terminal window has), within `timeLimit`: a shell that has not finished by then is stopped and gives
// no result (the caller's "could not tell"). Never throws.
CommandOutcome runLoginShell(ProcessRunning* process, const QString& command,
                             std::chrono::milliseconds timeLimit = loginShellTimeLimit);

// Whether the user's login shell knows the command `name` ("command -v <name>"): a program on its PATH,
// or an alias or a function that its startup files define, as in a new terminal window. Every child
// starts in "/" with only the absolute entries of PATH, so a relative entry a startup file adds names no
// folder anyone planted. `name` is a program name of the catalogue's; one that is not a plain word is
// quoted. The command, for a caller that runs it its own way and takes its exit status alone, and the
// test in one call: found when the command exits with 0 and prints something besides white space (a
// startup file that silences the shell's output, `exec >/dev/null`, leaves nothing to go by); false
// when the shell cannot start or is stopped.
QString programLookupCommand(const QString& name);
bool programIsFound(ProcessRunning* process, const QString& name);
// The lines of `which -a` that name a program by an absolute path, in order, repeats kept: an empty or
// relative PATH entry of a startup file names a program in whatever folder the shell stands in.
QStringList absolutePathLines(const QString& output);

// File tests that treat any failure as "absent".
bool exists(const FileSystemOperating* fs, const QString& path, bool* isDirectory);
bool isFolder(const FileSystemOperating* fs, const QString& path);
bool isNonFolder(const FileSystemOperating* fs, const QString& path);
bool isExecutableFile(const FileSystemOperating* fs, const QString& path);
// An item of any kind is at the path, a symbolic link counting as one, dangling or not.
bool itemExists(const FileSystemOperating* fs, const QString& path);
// The file's text (without a byte-order mark) when it exists and reads as UTF-8; none on any failure.
std::optional<QString> readText(const FileSystemOperating* fs, const QString& path);
// The home folder, or the empty text when it cannot be had.
QString homeDirectory(const FileSystemOperating* fs);

// The path without trailing slashes ("/a/b/" -> "/a/b"), the way a file URL built from it writes its
// path; "/" itself stays.
QString withoutTrailingSlash(QString path);

// The path as the user is shown it: the home folder written as "~" ("~/.zprofile"); any other path as
// it is.
QString homeRelativePath(const FileSystemOperating* fs, const QString& path);

// `folder` + "/" + `relative`, without doubling a slash at the join.
QString appendingPath(const QString& folder, const QString& relative);

// Cuts at LF, CR, CR LF, VT, FF, NEL, LINE SEPARATOR and PARAGRAPH SEPARATOR; empty lines are dropped.
QStringList splitLines(const QString& text);

// Trims spaces and tabs (only) at both ends.
QString trimSpacesAndTabs(const QString& text);

// The lines of splitLines (a byte-order mark at the start of the text left out), each trimmed of spaces
// and tabs; lines left empty are dropped, order and repeats kept.
QStringList trimmedLines(const QString& text);

} // namespace qlan::probing
