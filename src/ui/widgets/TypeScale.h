#pragma once
// The one type scale of the application: every text of every screen takes its font from here, so that
// the screens share sizes and weights. Sizes are relative to the platform's default font (the body), in
// the proportions of the Mac's text styles.

#include <QColor>
#include <QFont>

class QPalette;
class QWidget;

namespace qlan {

enum class TextRole { largeTitle, headline, body, callout, footnote };
enum class FontWeight { regular, semibold };

class TypeScale {
public:
    // The content edge of every screen: its margin from the window's edges, in points.
    static constexpr int contentMargin = 32;

    // The font of a role. The headline is semibold whatever weight is asked.
    static QFont font(TextRole role, FontWeight weight = FontWeight::regular);
    // The system's fixed-width font at the footnote size: output and code in small print.
    static QFont monospacedCaption();
    // Sets the role's font on the widget and records role and weight as the properties "textRole"
    // ("largeTitle", "headline", "body", "callout", "footnote") and "semibold".
    static void apply(QWidget* widget, TextRole role, FontWeight weight = FontWeight::regular);

    // The secondary foreground: the window text colour, lightened. Applying it also sets the widget
    // property "secondary" to true; the colour follows the application palette from then on (a switch
    // between light and dark appearance while the widget lives included).
    static QColor secondaryColor(const QPalette& palette);
    static void applySecondaryStyle(QWidget* widget);

    // The contrast ratio of two colours (1 to 21), a colour with transparency taken as drawn over the
    // other.
    static double contrastRatio(const QColor& foreground, const QColor& background);

    static const char* roleName(TextRole role);
};

} // namespace qlan
