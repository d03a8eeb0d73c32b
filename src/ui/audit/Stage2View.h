#pragma once
// The terminal stage of the audit: recommends the Warp terminal, installs it in the fix sheet (through
// Homebrew, or Homebrew first when it is missing), discloses the commission, links to the vendor's page
// and lets the user decline. Made only by the stage factory; it knows nothing of the follow-up context.

#include "ui/audit/AuditStageViews.h"

#include <functional>

namespace qlan {

class Stage2View : public AuditStageView {
    Q_OBJECT
public:
    Stage2View(const SystemProfile& profile, std::function<void()> onAdvance, const AuditScreenSeams& seams,
               QWidget* parent = nullptr);

    // The install behind the button follows the profile (through Homebrew once it is there); nothing shown
    // changes.
    void showProfile(const SystemProfile& profile) override;
    // "We may earn a commission if you install Warp through <the current edition's name>. Our
    // recommendation is editorial."
    static QString commissionDisclosure();

private:
    Remediation remediation_; // the install behind the button
};

} // namespace qlan
