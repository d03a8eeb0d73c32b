#pragma once
// How the user judges where the setup left them; stored as text.

#include "platform/TextEnum.h"

#include <QString>

namespace qlan {

enum class Outcome { ready, still_blocked, unsure };
template <> struct TextEnumCases<Outcome> {
    static constexpr TextCase<Outcome> cases[]{
        {Outcome::ready, "ready"},
        {Outcome::still_blocked, "still_blocked"},
        {Outcome::unsure, "unsure"},
    };
};

} // namespace qlan
