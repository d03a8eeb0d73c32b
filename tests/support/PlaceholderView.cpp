#include "support/PlaceholderView.h"

#include "ui/widgets/TextLabel.h"

#include <QVBoxLayout>

namespace qlan {

PlaceholderView::PlaceholderView(const QString& destination, const QString& offerID,
                                 std::optional<AuditContext> auditContext, QWidget* parent)
    : QWidget(parent)
    , destination_(destination)
    , offerID_(offerID)
    , auditContext_(std::move(auditContext)) {
    auto* layout = new QVBoxLayout(this);
    const int margin = TypeScale::contentMargin;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(new TextLabel(destination, TextRole::largeTitle, FontWeight::semibold));
    if (!offerID.isEmpty()) layout->addWidget(new TextLabel(offerID, TextRole::body));
    layout->addStretch(1);
}

} // namespace qlan
