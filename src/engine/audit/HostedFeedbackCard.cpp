#include "audit/HostedFeedbackCard.h"

#include "editions/ProductConfig.h"

namespace qlan {

HostedFeedbackCard::HostedFeedbackCard(std::shared_ptr<NPSFeedbackHost> host)
    : host_(std::move(host)) {
    included_ = !ProductConfig::current().nextStepPrompt && !host_->wasSubmittedBefore();
}

} // namespace qlan
