#pragma once
// The feedback card's slot on the audit's closing screens (the short completion and the report): the
// card is included unless the edition asks its next-step question or the card was answered on this Mac
// before; a submission removes it; leaving the screen tells the host, which sends "nps_dismissed" when
// the card came on screen and was not answered.

#include "telemetry/NPSFeedbackHost.h"

#include <memory>

namespace qlan {

class HostedFeedbackCard {
public:
    explicit HostedFeedbackCard(std::shared_ptr<NPSFeedbackHost> host);

    const std::shared_ptr<NPSFeedbackHost>& host() const { return host_; }
    // Whether the card is part of the screen now.
    bool isIncluded() const { return included_; }

    void cameOnScreen() { host_->cardCameOnScreen(); }
    // The card reports that its thanks pause is over: the card leaves the screen.
    void submitted() { included_ = false; }
    // The user leaves the screen.
    void leave() { host_->leave(); }

private:
    std::shared_ptr<NPSFeedbackHost> host_;
    bool included_ = false;
};

} // namespace qlan
