#include "ui/widgets/ActivityIndicator.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QTimerEvent>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace qlan {
namespace {

constexpr int kLines = 12;
constexpr int kStepMs = 1000 / kLines; // one turn a second, a line at a time

// A progress indicator that is busy, with no value of its own.
class ActivityIndicatorAccessible : public QAccessibleWidget {
public:
    explicit ActivityIndicatorAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::ProgressBar) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.busy = true;
        return state;
    }

    QString text(QAccessible::Text t) const override {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty()) return QStringLiteral("In progress");
        return own;
    }
};

QAccessibleInterface* accessibleIndicator(const QString& className, QObject* object) {
    if (className == QLatin1String(ActivityIndicator::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new ActivityIndicatorAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

ActivityIndicator::ActivityIndicator(ControlSize size, QWidget* parent)
    : QWidget(parent)
    , size_(size) {
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleIndicator);
        return true;
    }();
    Q_UNUSED(accessible);
    setProperty("controlSize", QString::fromLatin1(controlSizeName(size)));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

int ActivityIndicator::side(ControlSize size) {
    switch (size) {
    case ControlSize::small:
        return 16;
    case ControlSize::regular:
        return 32;
    case ControlSize::large:
        return 48;
    }
    return 32;
}

QSize ActivityIndicator::sizeHint() const {
    return {side(size_), side(size_)};
}

void ActivityIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = std::min(width(), height()) / 2.0;
    const qreal inner = radius * 0.48;
    const qreal outer = radius * 0.92;
    QColor ink = palette().color(QPalette::Active, QPalette::WindowText);
    painter.translate(width() / 2.0, height() / 2.0);
    for (int line = 0; line < kLines; ++line) {
        // The head is darkest; the lines behind it fade, as the Mac's indicator does.
        const int behind = (step_ - line + kLines) % kLines;
        ink.setAlphaF(float(0.75 - 0.6 * behind / (kLines - 1)));
        painter.setPen(QPen(ink, std::max(1.5, radius * 0.16), Qt::SolidLine, Qt::RoundCap));
        const qreal angle = 2 * std::numbers::pi * line / kLines;
        const QPointF direction(std::sin(angle), -std::cos(angle));
        painter.drawLine(direction * inner, direction * outer);
    }
}

void ActivityIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start(kStepMs, this);
}

void ActivityIndicator::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

void ActivityIndicator::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) return QWidget::timerEvent(event);
    step_ = (step_ + 1) % kLines;
    update();
}

QWidget* centredActivityPage(ControlSize size, QWidget* caption) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(12);
    layout->addStretch(1);
    layout->addWidget(new ActivityIndicator(size), 0, Qt::AlignHCenter);
    if (caption) layout->addWidget(caption, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    return page;
}

} // namespace qlan
