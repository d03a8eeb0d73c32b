#include "ui/widgets/SystemColors.h"

#import <AppKit/AppKit.h>

namespace qlan {
namespace {

QColor toQColor(NSColor* colour) {
    NSColor* rgb = [colour colorUsingColorSpace:[NSColorSpace sRGBColorSpace]];
    if (!rgb) return {};
    return QColor::fromRgbF(static_cast<float>(rgb.redComponent), static_cast<float>(rgb.greenComponent),
                            static_cast<float>(rgb.blueComponent), static_cast<float>(rgb.alphaComponent));
}

NSColor* appKitColour(SystemColor colour) {
    switch (colour) {
    case SystemColor::accent:
        return [NSColor controlAccentColor];
    case SystemColor::secondary:
        return [NSColor secondaryLabelColor];
    case SystemColor::green:
        return [NSColor systemGreenColor];
    case SystemColor::red:
        return [NSColor systemRedColor];
    case SystemColor::orange:
        return [NSColor systemOrangeColor];
    case SystemColor::yellow:
        return [NSColor systemYellowColor];
    }
    return nil;
}

} // namespace

QColor appKitColor(SystemColor colour, bool dark) {
    @autoreleasepool {
        // AppKit's colours are dynamic: resolved under the appearance asked for, not the one drawing now.
        if (@available(macOS 11.0, *)) {
            NSAppearance* appearance =
                [NSAppearance appearanceNamed:dark ? NSAppearanceNameDarkAqua : NSAppearanceNameAqua];
            __block QColor resolved;
            [appearance performAsCurrentDrawingAppearance:^{
              resolved = toQColor(appKitColour(colour));
            }];
            return resolved;
        }
        return toQColor(appKitColour(colour));
    }
}

} // namespace qlan
