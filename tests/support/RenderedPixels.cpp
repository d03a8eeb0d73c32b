#include "support/RenderedPixels.h"

#include "support/AccessibleNames.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/TypeScale.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace qlan::test {
namespace {

// How far apart two pixels are, channel by channel, before they count as different: past the faint
// edge of a smoothed line.
constexpr int kDifferent = 40;
constexpr double kRingContrast = 3.0;
constexpr double kTextContrast = 4.5;

int distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

double contrast(QRgb a, QRgb b) {
    return TypeScale::contrastRatio(QColor(a), QColor(b));
}

// The colour most of the area shows, leaving out `except`.
QRgb mostCommon(const QImage& image, const QRect& area, const QRect& except = {}) {
    QHash<QRgb, int> counts;
    QRgb common = 0;
    int most = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (except.contains(x, y)) continue;
            const QRgb pixel = image.pixel(x, y);
            if (const int count = ++counts[pixel]; count > most) {
                most = count;
                common = pixel;
            }
        }
    return common;
}

QString describe(const QWidget* widget, const QString& text) {
    return QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') + widget->objectName() +
           QStringLiteral(" \"") + text.left(40) + QLatin1Char('"');
}

// A label that takes the focus to reach the links in it.
bool holdsLinks(const QWidget* widget) {
    const auto* label = qobject_cast<const QLabel*>(widget);
    return label && (label->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
}

// The text a widget shows of its own, when its colour is the screen's to pick.
QString pickedText(const QWidget* widget) {
    if (qobject_cast<const LinkLabel*>(widget)) return {};
    const QString named = widget->property("systemColor").toString();
    if (!named.isEmpty() && named != QLatin1String("secondary")) return {};
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    // A row whose labels show its texts is read through those labels.
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->findChild<QLabel*>() ? QString() : button->text();
    return {};
}

// The window as a Mac's Retina display shows it: two pixels to the point, so that the strokes of small
// text have pixels they cover whole.
constexpr int kScale = 2;
QImage retina(QWidget* window) {
    QPixmap shot(window->size() * kScale);
    shot.setDevicePixelRatio(kScale);
    shot.fill(Qt::transparent);
    window->render(&shot);
    return shot.toImage();
}

void checkTexts(QWidget* window, const QString& appearance, QStringList& faults) {
    const QImage shown = retina(window);
    QHash<QRgb, double> ratios;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->window() != window || !widget->isVisible() || !widget->isEnabled()) continue;
        const QString text = pickedText(widget);
        if (text.trimmed().isEmpty()) continue;
        const QRect shownPart =
            widget->visibleRegion().boundingRect().translated(widget->mapTo(window, QPoint(0, 0)));
        const QRect area = QRect(shownPart.topLeft() * kScale, shownPart.size() * kScale) & shown.rect();
        if (area.width() < 2 || area.height() < 2) continue;
        const QRgb background = mostCommon(shown, area);
        ratios.clear();
        QRgb ink = background;
        double strongest = 1;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb pixel = shown.pixel(x, y);
                auto known = ratios.find(pixel);
                if (known == ratios.end()) known = ratios.insert(pixel, contrast(pixel, background));
                if (*known > strongest) {
                    strongest = *known;
                    ink = pixel;
                }
            }
        if (strongest < kTextContrast)
            faults << appearance + QStringLiteral(": ") + describe(widget, text) +
                          QStringLiteral(" reads at %1:1 (%2 on %3)")
                              .arg(strongest, 0, 'f', 2)
                              .arg(QColor(ink).name(), QColor(background).name());
    }
}

} // namespace

QPalette macAppearance(bool dark, const QColor& accent) {
    const QColor window(dark ? "#323232" : "#ececec");
    const QColor text(dark ? Qt::white : Qt::black);
    QPalette palette = QApplication::palette();
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, window);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, text);
    palette.setColor(QPalette::Link, QColor(dark ? "#419cff" : "#0068da"));
    const QColor ownAccent = accent.isValid() ? accent : QColor(dark ? "#0a84ff" : "#007aff");
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    palette.setColor(QPalette::Accent, ownAccent);
    palette.setColor(QPalette::Highlight, QColor(dark ? "#3f638b" : "#b3d7ff"));
#else
    palette.setColor(QPalette::Highlight, ownAccent); // no accent role before Qt 6.6
#endif
    return palette;
}

::testing::AssertionResult focusRingStandsOutside(QWidget* control) {
    QWidget* window = control->window();
    const QRect edge(control->mapTo(window, QPoint(0, 0)), control->size());
    const QRect around = (edge + QMargins(6, 6, 6, 6)) & window->rect();
    const QImage focused = window->grab(around).toImage();
    control->clearFocus();
    const QImage plain = window->grab(around).toImage();
    control->setFocus(Qt::TabFocusReason);

    const QRect inside = edge.translated(-around.topLeft());
    const QRgb background = mostCommon(plain, plain.rect(), inside);
    const bool marksInside = isTextField(control) || holdsLinks(control);
    int covering = 0;
    double seen = 1;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb before = plain.pixel(x, y);
            const QRgb after = focused.pixel(x, y);
            if (distance(before, after) <= kDifferent || (marksInside && inside.contains(x, y))) continue;
            seen = std::max(seen, contrast(before, after));
            if (inside.contains(x, y) && distance(before, background) > kDifferent) ++covering;
        }
    QStringList faults;
    if (seen < kRingContrast)
        faults << QStringLiteral("its focus mark reads at %1:1 against what it is drawn over")
                      .arg(seen, 0, 'f', 2);
    if (covering > 0)
        faults << QStringLiteral("its focus mark covers %1 pixels of what it draws").arg(covering);
    if (faults.isEmpty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << faults.join(QStringLiteral("; ")).toStdString();
}

::testing::AssertionResult textsReadInBothAppearances(QWidget* window) {
    const QPalette saved = QApplication::palette();
    const QPointer<QWidget> focused = window->focusWidget();
    if (focused) focused->clearFocus();
    QStringList faults;
    for (const bool dark : {false, true}) {
        QApplication::setPalette(macAppearance(dark));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::PaletteChange);
        checkTexts(window, dark ? QStringLiteral("dark") : QStringLiteral("light"), faults);
    }
    QApplication::setPalette(saved);
    if (focused) focused->setFocus(Qt::OtherFocusReason);
    if (faults.isEmpty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << faults.join(QLatin1Char('\n')).toStdString();
}

} // namespace qlan::test
