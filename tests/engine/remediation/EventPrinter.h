#pragma once
// Readable failure messages for the runner's events.

#include "remediation/SetupRemediationRunner.h"

#include <ostream>

namespace qlan {

inline void PrintTo(const SetupRemediationRunner::Event& event, std::ostream* out) {
    using Kind = SetupRemediationRunner::Event::Kind;
    switch (event.kind) {
    case Kind::output:
        *out << "output(\"" << event.text.toStdString() << "\")";
        return;
    case Kind::completed:
        *out << "completed(" << event.exitCode << ")";
        return;
    case Kind::openBrowser:
        *out << "openBrowser(\"" << event.url.toStdString() << "\", "
             << (event.code ? '"' + event.code->toStdString() + '"' : std::string("none")) << ")";
        return;
    case Kind::canceled:
        *out << "canceled";
        return;
    }
}

} // namespace qlan
