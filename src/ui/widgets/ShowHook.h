#pragma once
// Runs an action each time a widget comes on screen (its show event: first shown, or shown again after
// a page on top of it went away). The hook is owned by the widget.

#include <functional>

class QWidget;

namespace qlan {

void onEveryShow(QWidget* widget, std::function<void()> action);

} // namespace qlan
