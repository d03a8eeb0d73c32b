#include "ui/widgets/SystemAccent.h"

#import <AppKit/AppKit.h>

namespace qlan {

QColor appKitAccentColor() {
    @autoreleasepool {
        NSColor* accent = [[NSColor controlAccentColor] colorUsingColorSpace:[NSColorSpace sRGBColorSpace]];
        if (!accent) return {};
        return QColor::fromRgbF(static_cast<float>(accent.redComponent),
                                static_cast<float>(accent.greenComponent),
                                static_cast<float>(accent.blueComponent));
    }
}

} // namespace qlan
