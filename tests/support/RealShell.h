#pragma once
// This machine's real zsh started in the sandbox home, as a new Terminal window starts it on a Mac: it
// reads the home's startup files itself, so a test sees what a person's shell makes of the written lines.
//
// The shell gets a clean environment: HOME, LANG and the PATH a Mac login starts from
// (/usr/bin:/bin:/usr/sbin:/sbin), so every other PATH entry came from the startup files. The Mac's
// programs that a line names by their Mac path (`/opt/homebrew/bin/brew shellenv`,
// `$(/usr/libexec/java_home)`) run the sandbox's program at that path: before the user's files, a
// .zshenv of the sandbox (found through ZDOTDIR, which it then unsets) defines one function per program of
// the sandbox, named by its Mac path. Commands looked up through PATH are this machine's, as for every
// child of the sandbox. This machine's /etc/zsh files are read as usual (on Debian they print nothing).

#include "support/Sandbox.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace qlan::test {

enum class ZshStart {
    Login,    // zsh -l: ~/.zprofile
    Terminal, // zsh -l -i, as a new Terminal window: ~/.zprofile, then ~/.zshrc
};

// What the shell made of the startup files.
struct ShellStartup {
    int exitCode = -1;
    QString stdErr;                     // what the files printed on standard error: empty when read cleanly
    QStringList path;                   // PATH's entries, sandbox paths in their Mac spelling
    QMap<QString, QString> environment; // the exported variables, values as they are
};

// Starts the shell, lets it read its startup files and reads back what it exported. Throws
// std::runtime_error when this machine has no zsh or the shell does not end within 30 s.
ShellStartup startZsh(const Sandbox& sandbox, ZshStart start);

} // namespace qlan::test
