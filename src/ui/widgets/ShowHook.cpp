#include "ui/widgets/ShowHook.h"

#include <QEvent>
#include <QWidget>

namespace qlan {

namespace {

class ShowFilter : public QObject {
public:
    ShowFilter(QWidget* widget, std::function<void()> action)
        : QObject(widget)
        , action_(std::move(action)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Show && action_) action_();
        return false;
    }

private:
    std::function<void()> action_;
};

} // namespace

void onEveryShow(QWidget* widget, std::function<void()> action) {
    new ShowFilter(widget, std::move(action));
}

} // namespace qlan
