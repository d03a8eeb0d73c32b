#pragma once
// The feedback card in the slot of an audit closing screen: added when the slot includes it, reported
// to the slot each time it comes on screen, and removed once its thanks pause after a submission ends.

#include "audit/HostedFeedbackCard.h"

class QVBoxLayout;
class QWidget;

namespace qlan {

class NPSFeedbackCard;

// Adds the card to `layout` when `slot` includes it; none otherwise. `slot` must outlive the card.
NPSFeedbackCard* addHostedFeedbackCard(QVBoxLayout* layout, HostedFeedbackCard& slot, QWidget* screen);

} // namespace qlan
