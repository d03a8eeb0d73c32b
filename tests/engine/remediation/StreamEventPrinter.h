#pragma once
// Readable failure messages for the events of the jobs.

#include "platform/ProcessTypes.h"

#include <ostream>
#include <string>

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
    case StreamEvent::Kind::openBrowser:
        *out << "openBrowser(\"" << event.text.toStdString() << "\", "
             << (event.code ? '"' + event.code->toStdString() + '"' : std::string("none")) << ")";
        return;
    }
}

} // namespace qlan
