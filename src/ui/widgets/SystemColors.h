#pragma once
// The system's colours: the accent colour that fills prominent controls (the user's choice in the
// Appearance settings, as opposed to the text-selection colour), the secondary label colour and the
// standard green, red and orange. Each is read for the appearance of the palette it is given, light or
// dark: on a Mac from AppKit, elsewhere the Mac's own values for that appearance (the accent from the
// palette).

#include <QColor>
#include <QList>

class QPalette;
class QWidget;

namespace qlan {

enum class SystemColor { accent, secondary, green, red, orange, yellow };

QColor systemColor(SystemColor colour, const QPalette& palette);

// The palette's accent role where Qt has one (6.6 and later, as every Mac build); with an older Qt the
// palette's highlight.
QColor systemAccentColor(const QPalette& palette);

// Whether the palette is of a dark appearance: its window darker than its text.
bool isDarkAppearance(const QPalette& palette);

// The fill that sets a card off from the window: the secondary colour at 10 %, the strongest tint any
// screen lays under its texts; and the window under it, as drawn.
QColor quaternaryFill(const QPalette& palette);
QColor cardBackground(const QPalette& palette);

// `colour` as drawn over the opaque `background`.
QColor drawnOver(const QColor& colour, const QColor& background);
// The colour `amount` (0 to 1) of the way from `from` to `to`, opaque.
QColor blended(const QColor& from, const QColor& to, double amount);
// The first colour on the way from `from` to `to`, in steps of `step` from `start`, that reads at
// `minimum` to 1 against every one of `backgrounds`; `to` (opaque) when none does.
QColor firstReadableBlend(const QColor& from, const QColor& to, const QList<QColor>& backgrounds,
                          double minimum, double start = 0, double step = 0.02);
// `colour` with its opacity multiplied by `alpha`.
QColor withAlpha(QColor colour, qreal alpha);

// The secondary colour as text: the system's, made only as much stronger as it needs to read at 4.5 to 1
// on the window, whether bare or under a card's fill, in either appearance.
QColor secondaryTextColor(const QPalette& palette);

// Draws the widget's text (a label's, a button's, an editor's) in the system colour from now on, also
// after the application palette changes (a switch between light and dark appearance included); the
// secondary colour as secondaryTextColor gives it. The disabled state keeps the palette's own colours.
// Records the colour as the property "systemColor"
// ("secondary", "green", ...).
void applySystemTextColor(QWidget* widget, SystemColor colour);

const char* systemColorName(SystemColor colour);

#ifdef Q_OS_MACOS
// AppKit's colours in sRGB, resolved for the light or the dark appearance; invalid when AppKit gives
// none. (SystemColorsMac.mm)
QColor appKitColor(SystemColor colour, bool dark);
#endif

} // namespace qlan
