#include "ui/widgets/SelectableText.h"

#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/KeyboardFocus.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QList>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>

namespace qlan {
namespace {

constexpr const char* kSelectable = "qlanSelectableByMouse";
constexpr const char* kFilterName = "qlan-selectable-text";

// Makes the label's selection machinery, where it is not made yet.
void setUp(QLabel* label) {
    if (!(label->textInteractionFlags() & Qt::TextSelectableByMouse))
        label->setTextInteractionFlags(label->textInteractionFlags() | Qt::TextSelectableByMouse);
}

void clearSelection(QLabel* label) {
    if (label->hasSelectedText()) label->setSelection(0, 0);
}

// The selected text as shown: the label's paragraph and line breaks become line breaks.
void copySelection(QLabel* label) {
    if (!label->hasSelectedText()) return; // the pasteboard keeps what it holds
    QString text = label->selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    DesktopActions::of(label)->copyToPasteboard(text);
}

// Selects the whole text as the Select All keys do, by the label's own handling of them.
void selectAll(QLabel* label) {
    const QKeyCombination keys = QKeySequence(QKeySequence::SelectAll)[0];
    QKeyEvent press(QEvent::KeyPress, keys.key(), keys.keyboardModifiers());
    QCoreApplication::sendEvent(label, &press);
}

void showMenu(QLabel* label, const QPoint& at) {
    setUp(label);
    auto* menu = new QMenu(label);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(QStringLiteral("Copy"));
    copy->setEnabled(label->hasSelectedText());
    QObject::connect(copy, &QAction::triggered, label, [label] { copySelection(label); });
    QAction* all = menu->addAction(QStringLiteral("Select All"));
    all->setEnabled(!label->text().isEmpty());
    QObject::connect(all, &QAction::triggered, label, [label] { selectAll(label); });
    menu->popup(at);
}

// The text of each window that a person pressed last, which may hold a selection: a press anywhere else in
// its window lets the selection go. The application's presses are watched only while a window has one.
class PressedTexts : public QObject {
public:
    static PressedTexts* shared() {
        if (!one()) one() = new PressedTexts;
        return one();
    }
    // `label` goes (its filter does, in its destructor, where it is a label no longer): it is forgotten.
    static void forget(const QObject* label) {
        if (!one()) return;
        one()->texts_.removeIf([label](const QPointer<QWidget>& text) { return text.data() == label; });
        one()->watch();
    }

    // `label` is pressed: the text pressed before in its window let go of its selection as the press came.
    void take(QLabel* label) {
        if (!texts_.contains(label)) texts_.append(label);
        watch();
    }

    void letGo(QWidget* text) {
        if (auto* label = qobject_cast<QLabel*>(text)) clearSelection(label);
        texts_.removeIf([text](const QPointer<QWidget>& each) { return !each || each == text; });
        watch();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) ||
            !watched->isWidgetType())
            return false;
        // Wherever the press goes on to (a parent, where the text ignores a button), it counts where it
        // landed: on the text as it shows, or elsewhere in the window.
        const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        QList<QWidget*> elsewhere;
        for (const QPointer<QWidget>& text : std::as_const(texts_))
            if (text && text->window() == window && !text->visibleRegion().contains(text->mapFromGlobal(at)))
                elsewhere.append(text);
        for (QWidget* text : std::as_const(elsewhere))
            letGo(text);
        return false;
    }

private:
    PressedTexts()
        : QObject(qApp) {}

    static QPointer<PressedTexts>& one() {
        static QPointer<PressedTexts> shared;
        return shared;
    }

    void watch() {
        texts_.removeIf([](const QPointer<QWidget>& text) { return !text; });
        if (texts_.isEmpty() == !watching_) return;
        watching_ = !texts_.isEmpty();
        if (watching_)
            qApp->installEventFilter(this);
        else
            qApp->removeEventFilter(this);
    }

    // Held as widgets: a label in its destructor is one no longer.
    QList<QPointer<QWidget>> texts_;
    bool watching_ = false;
};

bool isTabKey(const QKeyEvent* key) {
    return (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

// What the label does with the mouse and the keys as a selectable text.
class SelectableLabel : public QObject {
public:
    explicit SelectableLabel(QLabel* label)
        : QObject(label)
        , label_(label) {
        setObjectName(kFilterName);
        label->installEventFilter(this);
    }
    ~SelectableLabel() override { PressedTexts::forget(label_); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // (A label in its destructor is a label no longer: it is let be.)
        auto* label = qobject_cast<QLabel*>(watched);
        if (!label || !label->property(kSelectable).toBool()) return false;
        switch (event->type()) {
        case QEvent::FocusIn:
            // Made before the label hears of its focus, so that the machinery hears of it too and draws the
            // selection as the focused text's.
            setUp(label);
            return false;
        case QEvent::FocusOut:
            // A menu or another window in front keeps the selection; Tab or a click elsewhere lets it go.
            if (const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
                reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                reason != Qt::MenuBarFocusReason)
                PressedTexts::shared()->letGo(label);
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            setUp(label);
            PressedTexts::shared()->take(label);
            return false;
        case QEvent::ContextMenu:
            showMenu(label, static_cast<QContextMenuEvent*>(event)->globalPos());
            event->accept();
            return true;
        case QEvent::ShortcutOverride: {
            // The copy keys are the text's, before any shortcut of the window.
            auto* key = static_cast<QKeyEvent*>(event);
            if (!key->matches(QKeySequence::Copy) && !key->matches(QKeySequence::SelectAll)) return false;
            key->accept();
            return true;
        }
        case QEvent::KeyPress:
            return keyPress(label, static_cast<QKeyEvent*>(event));
        default:
            return false;
        }
    }

private:
    static bool keyPress(QLabel* label, QKeyEvent* key) {
        if (key->matches(QKeySequence::Copy)) {
            copySelection(label);
            key->accept();
            return true;
        }
        if (key->matches(QKeySequence::SelectAll)) { // (the label has the focus: its machinery is made)
            PressedTexts::shared()->take(label);
            return false; // the label selects
        }
        if (isTabKey(key)) {
            PressedTexts::shared()->letGo(label);
            // A text whose links Tab reaches moves through them itself.
            if (label->focusPolicy() & Qt::TabFocus) return false;
            const bool next = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
            focusOnFrom(label, next);
            key->accept();
            return true;
        }
        return false;
    }

    const QObject* label_;
};

} // namespace

void setSelectableByMouse(QLabel* label, bool selectable) {
    label->setProperty(kSelectable, selectable);
    if (selectable) {
        if (!label->findChild<QObject*>(kFilterName, Qt::FindDirectChildrenOnly)) new SelectableLabel(label);
        label->setCursor(Qt::IBeamCursor);
        // A press gives it the focus before its machinery is made (Tab does not).
        if (label->focusPolicy() == Qt::NoFocus) label->setFocusPolicy(Qt::ClickFocus);
        return;
    }
    // The label takes the focus as QLabel decides from what is left of its interaction.
    const Qt::TextInteractionFlags flags = label->textInteractionFlags();
    if (flags & Qt::TextSelectableByMouse)
        label->setTextInteractionFlags(flags & ~Qt::TextSelectableByMouse);
    else if (!(flags & (Qt::LinksAccessibleByKeyboard | Qt::TextSelectableByKeyboard)) &&
             label->focusPolicy() == Qt::ClickFocus)
        label->setFocusPolicy(Qt::NoFocus);
    label->unsetCursor();
}

bool isSelectableByMouse(const QLabel* label) {
    return label->property(kSelectable).toBool() ||
           (label->textInteractionFlags() & Qt::TextSelectableByMouse);
}

} // namespace qlan
