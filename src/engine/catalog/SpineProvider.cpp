#include "catalog/SpineProvider.h"

namespace qlan {

const SpineSelection& emptySpineSelection() {
    static const SpineSelection selection{};
    return selection;
}

} // namespace qlan
