#pragma once
// Makes an edition current for one test and puts the previous one back.

#include "editions/ProductConfig.h"

namespace qlan::test {

struct CurrentEdition {
    explicit CurrentEdition(const ProductConfig& edition) { ProductConfig::setCurrent(edition); }
    ~CurrentEdition() { ProductConfig::setCurrent(previous); }
    CurrentEdition(const CurrentEdition&) = delete;
    CurrentEdition& operator=(const CurrentEdition&) = delete;
    ProductConfig previous = ProductConfig::current();
};

} // namespace qlan::test
