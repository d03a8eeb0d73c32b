#pragma once
// Prepares one step that needs administrator rights: a private folder holding an askpass script (a
// hidden-answer password dialog) and a `sudo` wrapper that forces `sudo -A`, and the environment that
// puts the wrapper first on the search path. The caller merges the environment into the step's own,
// runs the step, and then runs the cleanup.

#include "platform/FileSystemOperating.h"
#include "platform/ProcessTypes.h"

#include <functional>
#include <memory>

namespace qlan {

struct PrivilegedEnvironment {
    Environment environment;       // exactly PATH and SUDO_ASKPASS
    std::function<void()> cleanup; // removes the private folder; never fails, harmless when repeated
};

struct PrivilegedExecutor {
    std::shared_ptr<FileSystemOperating> fs;
    // The password dialog's title: the product's name as the user knows it (the current edition's
    // display name), given by whoever makes the executor.
    QString dialogTitle;

    // Makes a new private folder "vrl-priv-<UUID>" (mode 0700) in the per-user temporary folder with
    // "askpass.sh" (showing `prompt` under `dialogTitle`) and "sudo" (both 0700). Throws the file-system
    // error of the first step that fails; the folder is then removed again. PATH is the folder, then the
    // absolute entries of the application's PATH (SearchPath::absoluteOnly).
    PrivilegedEnvironment makeEnvironment(const QString& prompt) const;

    // The askpass script for a prompt and a dialog title. The AppleScript reaches osascript as
    // single-quoted words (each "'" written as '\''), so the shell passes the prompt and the title to
    // the dialog exactly as written, whatever lines they hold, and runs nothing of them.
    static QString askpassScript(const QString& prompt, const QString& title);
    // The `sudo` wrapper: runs the real sudo with the askpass program.
    static QString sudoWrapperScript();
    // Escapes text for a double-quoted AppleScript string.
    static QString appleScriptEscaped(const QString& text);
};

} // namespace qlan
