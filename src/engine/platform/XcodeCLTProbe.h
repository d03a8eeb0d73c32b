#pragma once
// Where the Command Line Tools are: the folder that `xcode-select -p` names.

#include "platform/ShellRunner.h"

#include <QString>

#include <optional>

namespace qlan {

struct XcodeCLTProbe {
    ShellRunner shell;

    // The folder `/usr/bin/xcode-select -p` prints (trimmed), when it exits 0 with a non-empty answer.
    // The folder itself is not examined. Blocks while the command runs; never throws.
    std::optional<QString> path() const;
};

} // namespace qlan
