#pragma once
// Readable failure messages for the installers' and the brew runner's events.

#include "platform/ProcessTypes.h"

#include <ostream>

namespace qlan {

inline void PrintTo(const StreamEvent& event, std::ostream* out) {
    switch (event.kind) {
    case StreamEvent::Kind::output:
        *out << "output(\"" << event.text.toStdString() << "\")";
        return;
    case StreamEvent::Kind::completed:
        *out << "completed(" << event.exitCode << ")";
        return;
    case StreamEvent::Kind::canceled:
        *out << "canceled";
        return;
    }
}

} // namespace qlan
