#pragma once
// The one type scale of the application: every text of every screen takes its font from here, so that
// the screens share sizes and weights. The roles are the Mac's text styles; sizes are relative to the
// platform's default font (the body), in the proportions of the Mac's sizes: large title 26 points,
// title 22, title 2 17, title 3 15, headline and body 13, callout 12, subheadline 11, footnote, caption
// and caption 2 10. The headline is bold and caption 2 medium; the others are regular.

#include <QColor>
#include <QFont>

class QPalette;
class QWidget;

namespace qlan {

enum class TextRole {
    largeTitle,
    title,
    title2,
    title3,
    headline,
    subheadline,
    body,
    callout,
    footnote,
    caption,
    caption2
};
enum class FontWeight { regular, medium, semibold, bold };

class TypeScale {
public:
    // The content edge of every screen: its margin from the window's edges, in points.
    static constexpr int contentMargin = 32;

    // The font of a role, at the heavier of the role's own weight and the weight asked for.
    static QFont font(TextRole role, FontWeight weight = FontWeight::regular);
    // The system's fixed-width font at the role's size and weight: the role's monospaced form.
    static QFont monospaced(TextRole role, FontWeight weight = FontWeight::regular);
    // Sets the role's font on the widget and records the role, the weight and the form as the
    // properties "textRole" (the role's name, e.g. "caption2"), "semibold" (semibold or heavier) and
    // "monospaced".
    static void apply(QWidget* widget, TextRole role, FontWeight weight = FontWeight::regular);
    static void applyMonospaced(QWidget* widget, TextRole role, FontWeight weight = FontWeight::regular);

    // The secondary foreground (see SystemColors.h). Applying it also sets the widget property
    // "secondary" to true; the colour reaches labels, buttons and the texts of rows alike and follows
    // the application palette from then on (a switch between light and dark appearance while the
    // widget lives included).
    static QColor secondaryColor(const QPalette& palette);
    static void applySecondaryStyle(QWidget* widget);

    // The contrast ratio of two colours (1 to 21), a colour with transparency taken as drawn over the
    // other.
    static double contrastRatio(const QColor& foreground, const QColor& background);

    static const char* roleName(TextRole role);
};

} // namespace qlan
