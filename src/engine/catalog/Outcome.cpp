#include "catalog/Outcome.h"

namespace qlan {

QString toText(Outcome value) {
    switch (value) {
    case Outcome::ready:
        return QStringLiteral("ready");
    case Outcome::still_blocked:
        return QStringLiteral("still_blocked");
    case Outcome::unsure:
        return QStringLiteral("unsure");
    }
    return {};
}

} // namespace qlan
