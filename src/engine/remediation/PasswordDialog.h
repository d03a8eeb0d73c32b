#pragma once
// The privileged executor of this application's jobs: its password dialog carries the current edition's
// display name as its title.

#include "editions/ProductConfig.h"
#include "platform/PrivilegedExecutor.h"

#include <memory>

namespace qlan {

inline PrivilegedExecutor editionPrivilegedExecutor(std::shared_ptr<FileSystemOperating> fs) {
    return PrivilegedExecutor{std::move(fs), ProductConfig::current().displayName};
}

} // namespace qlan
