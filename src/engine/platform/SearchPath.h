#pragma once
// The search path a child gets. An empty entry of PATH, or a relative one ("." or "bin"), names a folder
// relative to wherever a program happens to be started: a shell or `command -v` then finds a `git` or a
// `claude` that lies in the application's working folder before the one the user meant. Every child is
// therefore given only the entries that name a folder by its absolute path (LiveProcessRunner applies
// this to every environment, given or inherited).

#include "platform/ProcessTypes.h"

#include <QString>

namespace qlan::SearchPath {

// The entries of `path` that are absolute, in their order (":/usr/bin:bin:/bin:." -> "/usr/bin:/bin");
// the standard "/usr/bin:/bin:/usr/sbin:/sbin" when none is (an unset or empty PATH too).
QString absoluteOnly(const QString& path);

// `environment` with its PATH, when it has one, kept to the absolute entries.
Environment withAbsoluteOnly(Environment environment);

} // namespace qlan::SearchPath
