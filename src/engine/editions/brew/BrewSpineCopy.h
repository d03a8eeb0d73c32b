#pragma once
// The Homebrew edition's screen texts of the guided setup.

#include "catalog/SpineCopy.h"

namespace qlan {

// Stage screens for "clt", "homebrew" and "warp" only. The Homebrew screen and status line take the
// diagnosis's own words when Homebrew is installed but not on PATH, or for the wrong chip.
SpineCopy brewSpineCopy();

} // namespace qlan
