#include "ui/audit/HostedFeedbackCardView.h"

#include "ui/audit/AuditWidgets.h"
#include "ui/widgets/NPSFeedbackCard.h"
#include "ui/widgets/ShowHook.h"

#include <QPointer>
#include <QVBoxLayout>

namespace qlan {

NPSFeedbackCard* addHostedFeedbackCard(QVBoxLayout* layout, HostedFeedbackCard& slot, QWidget* screen) {
    if (!slot.isIncluded()) return nullptr;
    auto card = std::make_shared<QPointer<NPSFeedbackCard>>();
    *card = new NPSFeedbackCard(
        slot.host(),
        [&slot, card] {
            slot.submitted();
            if (NPSFeedbackCard* shown = *card) {
                shown->hide();
                shown->deleteLater();
            }
        },
        [] {}, screen);
    onEveryShow(*card, [&slot] { slot.cameOnScreen(); });
    layout->addWidget(*card);
    return *card;
}

} // namespace qlan
