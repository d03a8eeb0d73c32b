#include "ui/widgets/SystemAccent.h"

#include <QPalette>

namespace qlan {

QColor systemAccentColor(const QPalette& palette) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    return palette.color(QPalette::Active, QPalette::Accent);
#else
#ifdef Q_OS_MACOS
    if (const QColor accent = appKitAccentColor(); accent.isValid()) return accent;
#endif
    return palette.color(QPalette::Active, QPalette::Highlight);
#endif
}

} // namespace qlan
