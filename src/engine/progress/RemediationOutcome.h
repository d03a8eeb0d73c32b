#pragma once
// How a remediation sheet ended, and which of its two screens carries a remediation out: the two fixes
// that only add the Java block to ~/.zprofile are a reviewed diff; every other fix runs child processes
// whose output streams onto the screen.

#include "diagnosis/Remediation.h"

#include <QString>

namespace qlan {

struct RemediationOutcome {
    enum class Kind { success, failure, canceled };

    Kind kind = Kind::canceled;
    QString message; // the success or failure text; always empty for `canceled`

    static RemediationOutcome success(QString message) { return {Kind::success, std::move(message)}; }
    static RemediationOutcome failure(QString message) { return {Kind::failure, std::move(message)}; }
    static RemediationOutcome canceled() { return {Kind::canceled, {}}; }

    // Equal when the cases match and, for success and failure, the messages do.
    friend bool operator==(const RemediationOutcome&, const RemediationOutcome&) = default;
};

enum class RemediationScreen { zprofileDiff, streaming };

RemediationScreen remediationScreen(const Remediation& remediation);

} // namespace qlan
