#pragma once
// The system accent colour: what the Mac fills prominent controls with (the user's choice in the
// Appearance settings), as opposed to the text-selection colour.

#include <QColor>

class QPalette;

namespace qlan {

// The palette's accent role where Qt has one (6.6 and later); with an older Qt, on the Mac the accent
// colour read from AppKit, elsewhere the palette's highlight.
QColor systemAccentColor(const QPalette& palette);

#ifdef Q_OS_MACOS
// AppKit's control accent colour in sRGB; invalid when AppKit gives none. (SystemAccentMac.mm)
QColor appKitAccentColor();
#endif

} // namespace qlan
