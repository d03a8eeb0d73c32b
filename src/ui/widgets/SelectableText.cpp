#include "ui/widgets/SelectableText.h"

#include <QEvent>
#include <QLabel>

namespace qlan {
namespace {

constexpr const char* kSelectable = "qlanSelectableByMouse";
constexpr const char* kFilterName = "qlan-selectable-text";

// Turns the label's mouse selection on at the first press, before the label itself sees the press.
class SelectOnPress : public QObject {
public:
    explicit SelectOnPress(QLabel* label)
        : QObject(label) {
        setObjectName(kFilterName);
        label->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
        auto* label = static_cast<QLabel*>(watched);
        if (label->property(kSelectable).toBool() &&
            !(label->textInteractionFlags() & Qt::TextSelectableByMouse))
            label->setTextInteractionFlags(label->textInteractionFlags() | Qt::TextSelectableByMouse);
        return false;
    }
};

} // namespace

void setSelectableByMouse(QLabel* label, bool selectable) {
    label->setProperty(kSelectable, selectable);
    if (selectable) {
        if (!label->findChild<QObject*>(kFilterName, Qt::FindDirectChildrenOnly)) new SelectOnPress(label);
        label->setCursor(Qt::IBeamCursor);
        return;
    }
    if (label->textInteractionFlags() & Qt::TextSelectableByMouse)
        label->setTextInteractionFlags(label->textInteractionFlags() & ~Qt::TextSelectableByMouse);
    label->unsetCursor();
}

bool isSelectableByMouse(const QLabel* label) {
    return label->property(kSelectable).toBool() ||
           (label->textInteractionFlags() & Qt::TextSelectableByMouse);
}

} // namespace qlan
