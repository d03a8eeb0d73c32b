#include "ui/widgets/SystemColors.h"

#include "ui/widgets/TypeScale.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QWidget>

#include <algorithm>

namespace qlan {
namespace {

// The Mac's standard colours for a light and a dark appearance.
QColor standardColor(SystemColor colour, bool dark) {
    switch (colour) {
    case SystemColor::green:
        return dark ? QColor(50, 215, 75) : QColor(40, 205, 65);
    case SystemColor::red:
        return dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
    case SystemColor::orange:
        return dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
    case SystemColor::yellow:
        return dark ? QColor(255, 214, 10) : QColor(255, 204, 0);
    case SystemColor::accent:
    case SystemColor::secondary:
        break;
    }
    return {};
}

// Keeps a widget's text in its system colour: set when applied, and again whenever the application
// palette changes.
class SystemTone : public QObject {
public:
    SystemTone(QWidget* widget, SystemColor colour)
        : QObject(widget)
        , colour_(colour) {
        widget->installEventFilter(this);
        apply(widget);
    }

    void setColour(QWidget* widget, SystemColor colour) {
        colour_ = colour;
        apply(widget);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // A new application palette reaches the widget as a change of its own palette.
        const QEvent::Type type = event->type();
        if ((type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange) && !applying_)
            apply(static_cast<QWidget*>(watched));
        return false;
    }

private:
    void apply(QWidget* widget) {
        // Read from the application's palette, so that a colour with transparency is never applied
        // over itself.
        const QPalette& application = QApplication::palette(widget);
        const QColor colour = colour_ == SystemColor::secondary ? secondaryTextColor(application)
                                                                : systemColor(colour_, application);
        QPalette palette = widget->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive})
            for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                palette.setColor(group, role, colour);
        applying_ = true;
        widget->setPalette(palette);
        applying_ = false;
    }

    SystemColor colour_;
    bool applying_ = false;
};

} // namespace

QColor systemAccentColor(const QPalette& palette) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    return palette.color(QPalette::Active, QPalette::Accent);
#else // outside a Mac only: a Mac build needs Qt 6.8 or later
    return palette.color(QPalette::Active, QPalette::Highlight);
#endif
}

bool isDarkAppearance(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Window).lightnessF() <
           palette.color(QPalette::Active, QPalette::WindowText).lightnessF();
}

QColor systemColor(SystemColor colour, const QPalette& palette) {
    if (colour == SystemColor::accent) return systemAccentColor(palette);
#ifdef Q_OS_MACOS
    if (const QColor fromAppKit = appKitColor(colour, isDarkAppearance(palette)); fromAppKit.isValid())
        return fromAppKit;
#endif
    if (colour == SystemColor::secondary) {
        // The window text, lightened as the Mac lightens its secondary labels.
        QColor secondary = palette.color(QPalette::Active, QPalette::WindowText);
        secondary.setAlphaF(0.55f);
        return secondary;
    }
    return standardColor(colour, isDarkAppearance(palette));
}

QColor quaternaryFill(const QPalette& palette) {
    QColor fill = systemColor(SystemColor::secondary, palette);
    fill.setAlphaF(0.1f);
    return fill;
}

QColor cardBackground(const QPalette& palette) {
    return drawnOver(quaternaryFill(palette), palette.color(QPalette::Active, QPalette::Window));
}

QColor drawnOver(const QColor& colour, const QColor& background) {
    const QColor top = colour.toRgb();
    return blended(background, QColor::fromRgbF(top.redF(), top.greenF(), top.blueF()), top.alphaF());
}

QColor blended(const QColor& from, const QColor& to, double amount) {
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * amount),
                            float(a.greenF() + (b.greenF() - a.greenF()) * amount),
                            float(a.blueF() + (b.blueF() - a.blueF()) * amount));
}

QColor firstReadableBlend(const QColor& from, const QColor& to, const QList<QColor>& backgrounds,
                          double minimum, double start, double step) {
    for (int k = 0;; ++k) {
        const double amount = std::min(1.0, start + k * step);
        const QColor colour = blended(from, to, amount);
        if (amount >= 1.0 || std::all_of(backgrounds.begin(), backgrounds.end(), [&](const QColor& background) {
                return TypeScale::contrastRatio(colour, background) >= minimum;
            }))
            return colour;
    }
}

QColor withAlpha(QColor colour, qreal alpha) {
    colour.setAlphaF(float(colour.alphaF() * alpha));
    return colour;
}

QColor secondaryTextColor(const QPalette& palette) {
    constexpr double kMinimumContrast = 4.5;
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    const QColor card = cardBackground(palette);
    QColor text = systemColor(SystemColor::secondary, palette).toRgb();
    // A label colour is the text colour made translucent: more opaque reads stronger.
    while (text.alphaF() < 1.0f && std::min(TypeScale::contrastRatio(text, window),
                                            TypeScale::contrastRatio(text, card)) < kMinimumContrast)
        text.setAlphaF(std::min(1.0f, text.alphaF() + 0.01f));
    return text;
}

void applySystemTextColor(QWidget* widget, SystemColor colour) {
    for (QObject* child : widget->children()) {
        if (auto* tone = dynamic_cast<SystemTone*>(child)) {
            tone->setColour(widget, colour);
            widget->setProperty("systemColor", QString::fromLatin1(systemColorName(colour)));
            return;
        }
    }
    new SystemTone(widget, colour);
    widget->setProperty("systemColor", QString::fromLatin1(systemColorName(colour)));
}

const char* systemColorName(SystemColor colour) {
    switch (colour) {
    case SystemColor::accent:
        return "accent";
    case SystemColor::secondary:
        return "secondary";
    case SystemColor::green:
        return "green";
    case SystemColor::red:
        return "red";
    case SystemColor::orange:
        return "orange";
    case SystemColor::yellow:
        return "yellow";
    }
    return "secondary";
}

} // namespace qlan
