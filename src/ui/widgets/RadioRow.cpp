#include "ui/widgets/RadioRow.h"

#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/SymbolIcon.h"
#include "ui/widgets/TextLabel.h"
#include "ui/widgets/TypeScale.h"

#include <QHBoxLayout>
#include <QHoverEvent>
#include <QVBoxLayout>

namespace qlan {

RadioRow::RadioRow(const QString& title, const QString& description, QWidget* parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    setText(title);
    // The pointer changes over what a click reaches only (see event()).
    setAttribute(Qt::WA_Hover);
    // As on the Mac, a click chooses without taking the focus; Tab reaches the row.
    setFocusPolicy(Qt::TabFocus);
    // A screen reader hears one radio button: the title, then the description.
    setAccessibleRole(this, QAccessible::RadioButton);
    setAccessibleDescription(description);
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

    // Clicks on the texts reach the row.
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

QRect RadioRow::shownArea() const {
    QRect area = mark_->geometry();
    for (const TextLabel* label : {title_, description_})
        if (!label->isHidden() && !label->text().isEmpty())
            area |= label->fontMetrics()
                        .boundingRect(label->contentsRect(), int(label->alignment()) | Qt::TextWordWrap,
                                      label->text())
                        .translated(label->pos());
    // A little room past the ends of the texts, so that the ring never touches them.
    return (area + QMargins(0, 0, 3, 0)) & rect();
}

void RadioRow::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    setFocusRingArea(this, shownArea());
}

bool RadioRow::hitButton(const QPoint& pos) const {
    return shownArea().contains(pos);
}

bool RadioRow::event(QEvent* event) {
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverMove) {
        if (hitButton(static_cast<QHoverEvent*>(event)->position().toPoint()))
            setCursor(Qt::PointingHandCursor);
        else
            unsetCursor();
    }
    return QAbstractButton::event(event);
}

void RadioRow::paintEvent(QPaintEvent*) {
    // The mark and the texts draw themselves; the focus ring stands outside the row.
}

} // namespace qlan
