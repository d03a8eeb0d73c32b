#pragma once
// The Claude Code edition's screen texts of the guided setup.

#include "catalog/SpineCopy.h"

namespace qlan {

// A stage screen for every domain of the edition's spine but "ai-claude"; the screens do not read the
// diagnosis. A status line names the primary domains and shows the others by their id.
SpineCopy claudeSpineCopy();

} // namespace qlan
