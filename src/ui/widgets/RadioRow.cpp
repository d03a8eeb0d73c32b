#include "ui/widgets/RadioRow.h"

#include "ui/widgets/TextLabel.h"
#include "ui/widgets/TypeScale.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace qlan {
namespace {

constexpr int kMarkSize = 20;

// The radio mark: a filled ring in the accent colour when chosen, an empty circle in the secondary
// colour otherwise.
class RadioMark : public QWidget {
public:
    explicit RadioMark(const QAbstractButton* row, QWidget* parent)
        : QWidget(parent)
        , row_(row) {
        setFixedSize(kMarkSize, kMarkSize);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF outer = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        if (row_->isChecked()) {
            const QColor accent = palette().color(QPalette::Active, QPalette::Highlight);
            painter.setPen(QPen(accent, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(outer);
            painter.setPen(Qt::NoPen);
            painter.setBrush(accent);
            painter.drawEllipse(outer.adjusted(4, 4, -4, -4));
        } else {
            painter.setPen(QPen(TypeScale::secondaryColor(palette()), 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(outer);
        }
    }

private:
    const QAbstractButton* row_;
};

} // namespace

RadioRow::RadioRow(const QString& title, const QString& description, QWidget* parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    setText(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    mark_ = new RadioMark(this, this);
    row->addWidget(mark_, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    title_ = new TextLabel(title, TextRole::headline);
    description_ = new TextLabel(description, TextRole::callout);
    TypeScale::applySecondaryStyle(description_);
    texts->addWidget(title_);
    texts->addWidget(description_);
    texts->addStretch(1);
    row->addLayout(texts, 1);

    // Clicks anywhere on the row, its texts included, reach the row.
    for (QWidget* child : {mark_, static_cast<QWidget*>(title_), static_cast<QWidget*>(description_)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RadioRow::setSelected(bool selected) {
    setChecked(selected);
    mark_->update();
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
