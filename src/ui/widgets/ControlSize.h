#pragma once
// The Mac's control sizes, as the screens name them for buttons and progress indicators.

namespace qlan {

enum class ControlSize { small, regular, large };

// "small", "regular" or "large": what a control records as its property "controlSize".
constexpr const char* controlSizeName(ControlSize size) {
    return size == ControlSize::small ? "small" : size == ControlSize::large ? "large" : "regular";
}

} // namespace qlan
