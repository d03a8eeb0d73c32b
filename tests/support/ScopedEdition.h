#pragma once
// Makes an edition the current one for the lifetime of the object, then puts the previous one back.

#include "editions/ProductConfig.h"

namespace qlan::test {

class ScopedEdition {
public:
    explicit ScopedEdition(const ProductConfig& edition);
    ~ScopedEdition();
    ScopedEdition(const ScopedEdition&) = delete;
    ScopedEdition& operator=(const ScopedEdition&) = delete;

private:
    ProductConfig previous_;
};

} // namespace qlan::test
