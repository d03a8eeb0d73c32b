#include "support/WindowFit.h"

#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/TypeScale.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace qlan::test {
namespace {

bool insideScrollArea(const QWidget* widget, const QWidget* window) {
    for (const QWidget* parent = widget->parentWidget(); parent && parent != window;
         parent = parent->parentWidget())
        if (qobject_cast<const QAbstractScrollArea*>(parent)) return true;
    return false;
}

bool isControlOrText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return !label->text().isEmpty();
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractScrollArea*>(widget) || qobject_cast<const ActivityIndicator*>(widget);
}

// The height a button needs at its width; none for other widgets.
int neededHeight(const QWidget* widget) {
    if (!qobject_cast<const QAbstractButton*>(widget)) return 0;
    return widget->hasHeightForWidth() ? widget->heightForWidth(widget->width())
                                       : widget->minimumSizeHint().height();
}

QString describe(const QWidget* widget) {
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(widget)) text = label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) text = button->text();
    return QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') + widget->objectName() +
           QStringLiteral(" \"") + text.left(40) + QLatin1Char('"');
}

} // namespace

::testing::AssertionResult fitsAtMinimumSize(QWidget* window) {
    const QSize saved = window->size();
    window->resize(window->minimumSize());
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const int margin = TypeScale::contentMargin;
    const QRect allowed(0, 0, window->width() - margin, window->height() - margin);
    QStringList faults;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->window() != window || !isControlOrText(widget) ||
            insideScrollArea(widget, window))
            continue;
        const QRect shown(widget->mapTo(window, QPoint(0, 0)), widget->size());
        if (!allowed.contains(shown))
            faults << describe(widget) + QStringLiteral(" ends at (%1, %2), past (%3, %4)")
                                             .arg(shown.right() + 1)
                                             .arg(shown.bottom() + 1)
                                             .arg(allowed.right() + 1)
                                             .arg(allowed.bottom() + 1);
        else if (const int needed = neededHeight(widget); widget->height() < needed)
            faults << describe(widget) +
                          QStringLiteral(" squeezed to %1 of %2 points").arg(widget->height()).arg(needed);
        else if (qobject_cast<const QAbstractButton*>(widget) &&
                 widget->width() < widget->minimumSizeHint().width())
            faults << describe(widget) + QStringLiteral(" squeezed to %1 of %2 points wide, its title cut")
                                             .arg(widget->width())
                                             .arg(widget->minimumSizeHint().width());
    }
    const QSize minimum = window->size();
    window->resize(saved);
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (faults.isEmpty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at " << minimum.width() << " x " << minimum.height() << ":\n"
                                         << faults.join(QLatin1Char('\n')).toStdString();
}

} // namespace qlan::test
