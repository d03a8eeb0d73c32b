#include "ui/widgets/RadioRow.h"

#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/SymbolIcon.h"
#include "ui/widgets/TextLabel.h"
#include "ui/widgets/TypeScale.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace qlan {

RadioRow::RadioRow(const QString& title, const QString& description, QWidget* parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    setText(title);
    // A click anywhere on the row chooses it, as the pointing hand shows.
    setCursor(Qt::PointingHandCursor);
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

    // Clicks on the mark and the texts reach the row.
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

void RadioRow::paintEvent(QPaintEvent*) {
    // The mark and the texts draw themselves; the focus ring stands outside the row.
}

} // namespace qlan
