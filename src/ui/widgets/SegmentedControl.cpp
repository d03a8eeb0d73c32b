#include "ui/widgets/SegmentedControl.h"

#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TypeScale.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QPainter>
#include <QPainterPath>

namespace qlan {
namespace {

constexpr qreal kCornerRadius = 6;
// The chosen segment sits this far inside the bezel.
constexpr qreal kInset = 2;

} // namespace

// One segment: its title, on the raised face when chosen.
class SegmentButton : public QAbstractButton {
public:
    SegmentButton(const QString& title, SegmentedControl* control)
        : QAbstractButton(control) {
        setText(title);
        setCheckable(true);
        setFocusPolicy(Qt::TabFocus); // a click chooses without taking the focus, as on the Mac
        setCursor(Qt::PointingHandCursor);
        TypeScale::apply(this, TextRole::body);
        setAccessibleRole(this, QAccessible::RadioButton);
        // The ring marks the focused segment, Space's choice; its corners keep clear of the segment's,
        // square where two segments meet.
        setFocusRingRadius(this, kInset);
    }

    int neededWidth() const {
        return fontMetrics().horizontalAdvance(text()) + 2 * controlSidePadding(ControlSize::regular);
    }

protected:
    // A click never toggles a segment: the control chooses. The exclusive group calls this on the segment
    // chosen before when it checks another one: that one lets go.
    void nextCheckState() override {
        if (isChecked() && group() && group()->checkedButton() != this) setChecked(false);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette& pal = palette();
        if (isChecked()) {
            // A face a shade off the bezel towards the text background, with a hairline edge.
            const bool dark = isDarkAppearance(pal);
            const QColor face = dark ? blended(pal.color(QPalette::Active, QPalette::Window), Qt::white, 0.22)
                                     : pal.color(QPalette::Active, QPalette::Base);
            QPainterPath shape;
            shape.addRoundedRect(QRectF(rect()).adjusted(kInset, kInset, -kInset, -kInset),
                                 kCornerRadius - kInset, kCornerRadius - kInset);
            painter.fillPath(shape, face);
            painter.setPen(QPen(withAlpha(systemColor(SystemColor::secondary, pal), 0.3), 0.5));
            painter.drawPath(shape);
        }
        painter.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

SegmentedControl::SegmentedControl(const QStringList& titles, QWidget* parent)
    : QWidget(parent)
    , group_(new QButtonGroup(this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusRingRadius(this, kCornerRadius);
    group_->setExclusive(true);
    // One Tab stop, on the chosen segment; the arrow keys choose the one beside it.
    auto* keys = new RadioGroup(this, QString());
    for (const QString& title : titles) {
        auto* segment = new SegmentButton(title, this);
        group_->addButton(segment);
        keys->addChoice(segment);
    }
    connect(group_, &QButtonGroup::buttonClicked, this,
            [this](QAbstractButton* clicked) { choose(int(group_->buttons().indexOf(clicked))); });
    setSelectedIndex(0);
}

// The segments are those that exist, in their order: a destroyed one leaves the group as it goes, and the
// ones after it move up.
int SegmentedControl::count() const {
    return int(group_->buttons().size());
}

QAbstractButton* SegmentedControl::segment(int index) const {
    return group_->buttons().value(index);
}

int SegmentedControl::selectedIndex() const {
    return int(group_->buttons().indexOf(group_->checkedButton()));
}

void SegmentedControl::setSelectedIndex(int index) {
    // The group lets go of the segment chosen before.
    if (QAbstractButton* chosen = segment(index)) chosen->setChecked(true);
    update();
}

void SegmentedControl::choose(int index) {
    if (index == selectedIndex()) return;
    setSelectedIndex(index);
    emit chosen(index);
}

QSize SegmentedControl::sizeHint() const {
    int widest = 0;
    for (QAbstractButton* each : group_->buttons())
        widest = std::max(widest, static_cast<SegmentButton*>(each)->neededWidth());
    return {widest * count(), controlHeight(ControlSize::regular, TypeScale::font(TextRole::body))};
}

void SegmentedControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeSegments();
}

void SegmentedControl::placeSegments() {
    const QList<QAbstractButton*> segments = group_->buttons();
    const auto shares = int(segments.size());
    for (int index = 0; index < shares; ++index) {
        const int left = width() * index / shares;
        segments[index]->setGeometry(left, 0, width() * (index + 1) / shares - left, height());
    }
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    // The bezel, and a divider between two segments that are not chosen.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    painter.fillPath(shape, quaternaryFill(palette()));
    painter.setPen(QPen(withAlpha(systemColor(SystemColor::secondary, palette()), 0.35), 1));
    const QList<QAbstractButton*> segments = group_->buttons();
    for (qsizetype index = 1; index < segments.size(); ++index) {
        if (segments[index]->isChecked() || segments[index - 1]->isChecked()) continue;
        const qreal x = segments[index]->x() + 0.5;
        painter.drawLine(QPointF(x, 6), QPointF(x, height() - 6));
    }
}

} // namespace qlan
