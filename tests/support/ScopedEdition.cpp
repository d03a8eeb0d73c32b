#include "support/ScopedEdition.h"

namespace qlan::test {

ScopedEdition::ScopedEdition(const ProductConfig& edition)
    : previous_(ProductConfig::current()) {
    ProductConfig::setCurrent(edition);
}

ScopedEdition::~ScopedEdition() {
    ProductConfig::setCurrent(previous_);
}

} // namespace qlan::test
