#include "ui/widgets/RadioRow.h"

#include "ui/widgets/SymbolIcon.h"
#include "ui/widgets/TextLabel.h"
#include "ui/widgets/TypeScale.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace qlan {

RadioRow::RadioRow(const QString& title, const QString& description, QWidget* parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    setText(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    const bool described = !description.isEmpty();
    const TextRole titleRole = described ? TextRole::headline : TextRole::body;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(described ? 10 : 8);
    mark_ = new SymbolIcon(Symbol::circle, SystemColor::secondary, titleRole,
                           described ? SymbolScale::large : SymbolScale::medium);
    row->addWidget(mark_, 0, described ? Qt::AlignTop : Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    title_ = new TextLabel(title, titleRole);
    description_ = new TextLabel(description, TextRole::subheadline);
    TypeScale::applySecondaryStyle(description_);
    if (!described) description_->hide();
    texts->addWidget(title_);
    texts->addWidget(description_);
    if (described) texts->addStretch(1);
    row->addLayout(texts, 1);

    // Clicks anywhere on the row, its texts included, reach the row.
    for (QWidget* child :
         {static_cast<QWidget*>(mark_), static_cast<QWidget*>(title_), static_cast<QWidget*>(description_)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RadioRow::setSelected(bool selected) {
    setChecked(selected);
    mark_->setSymbol(selected ? Symbol::largecircleFillCircle : Symbol::circle,
                     selected ? SystemColor::accent : SystemColor::secondary);
}

QSize RadioRow::sizeHint() const {
    return layout()->sizeHint();
}

QSize RadioRow::minimumSizeHint() const {
    return layout()->minimumSize();
}

void RadioRow::focusInEvent(QFocusEvent* event) {
    keyboardFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void RadioRow::paintEvent(QPaintEvent*) {
    // The focus ring shows only when the focus came from the keyboard.
    if (!hasFocus() || !keyboardFocus_) return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace qlan
