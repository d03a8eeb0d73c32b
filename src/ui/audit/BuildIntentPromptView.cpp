#include "ui/audit/BuildIntentPromptView.h"

#include "ui/audit/AuditWidgets.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TextLabel.h"

#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlan {

BuildIntentPromptView::BuildIntentPromptView(std::function<void()> onSeeRecommendations, QWidget* parent)
    : QFrame(parent) {
    const QString heading = QStringLiteral("Want to build software on this Mac?");
    setAccessibilityIdentifier(this, QStringLiteral("completion-build-intent-prompt"));
    setAccessibleName(heading);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    QVBoxLayout* items = column(this, 8);
    items->setContentsMargins(16, 16, 16, 16);
    items->addWidget(new TextLabel(heading, TextRole::headline));
    auto* explanation = new TextLabel(
        QStringLiteral(
            "Whether starting out or setting up a new Mac, we'll check if you have everything you need."),
        TextRole::subheadline);
    TypeScale::applySecondaryStyle(explanation);
    items->addWidget(explanation);
    optIn_ = borderedButton(QStringLiteral("See recommendations →"));
    setAccessibilityIdentifier(optIn_, QStringLiteral("completion-build-intent-optin"));
    connect(optIn_, &QPushButton::clicked, this, [action = std::move(onSeeRecommendations)] {
        if (action) action();
    });
    items->addWidget(optIn_, 0, Qt::AlignLeading);
}

void BuildIntentPromptView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 8, 8);
    painter.fillPath(shape, quaternaryFill(palette()));
}

} // namespace qlan
