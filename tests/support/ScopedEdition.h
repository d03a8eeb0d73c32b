#pragma once
// Older name of CurrentEdition, kept for test files that still say ScopedEdition.

#include "support/CurrentEdition.h"

namespace qlan::test {
using ScopedEdition = CurrentEdition;
}
