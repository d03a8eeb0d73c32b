#pragma once
// How the user judges where the setup left them; stored as text.

#include "platform/TextEnum.h"

#include <QString>

namespace qlan {

enum class Outcome { ready, still_blocked, unsure };
QString toText(Outcome value);
template <> struct TextEnumCases<Outcome> {
    static constexpr std::array cases{Outcome::ready, Outcome::still_blocked, Outcome::unsure};
};

} // namespace qlan
