#include "support/SelectableTexts.h"

#include "support/AccessibleNames.h"
#include "support/RecordingDesktopActions.h"
#include "support/Wait.h"
#include "ui/widgets/DesktopActions.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

namespace qlan::test {
namespace {

// What a copy of a selection gives: the label's paragraph and line breaks as line breaks.
QString asCopied(QString text) {
    return text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
}

QMenu* shownMenu() {
    QMenu* menu = nullptr;
    waitUntil(
        [&menu] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; });
    return menu;
}

QAction* item(const QMenu* menu, const QString& title) {
    for (QAction* action : menu->actions())
        if (action->text() == title) return action;
    return nullptr;
}

// A person's click on the menu's item, through the menu's window; the menu closes.
bool choose(QMenu* menu, QAction* action) {
    QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {}, menu->actionGeometry(action).center());
    return waitUntil([] { return QApplication::activePopupWidget() == nullptr; });
}

} // namespace

QLabel* textShowing(const QWidget* root, const QString& text) {
    for (QLabel* label : root->findChildren<QLabel*>())
        if (label->isVisible() && label->text() == text) return label;
    return nullptr;
}

::testing::AssertionResult copiesAsAPerson(QLabel* text, QWidget* control) {
    const auto fault = [text](const std::string& what) {
        return ::testing::AssertionFailure() << '"' << text->text().toStdString() << "\": " << what;
    };
    if (!text || !control) return ::testing::AssertionFailure() << "no text or no control to start from";
    const auto desktop = std::dynamic_pointer_cast<RecordingDesktopActions>(DesktopActions::of(text));
    if (!desktop) return fault("no recording desktop above it");
    if (!(text->alignment() & Qt::AlignTop)) return fault("not top-aligned: its first line is not found");
    QWidget* window = text->window();
    window->activateWindow();
    if (!waitForWindowActive(window)) return fault("its window does not come to the front");
    const QString whole = shownText(text);
    const qsizetype writes = desktop->pasteboardWrites.size();
    const auto lastWrite = [&]() -> QString {
        return desktop->pasteboardWrites.size() > writes ? desktop->pasteboardWrites.last() : QString();
    };

    // The first line, from its start to about the middle of its first paragraph.
    const QRect contents = text->contentsRect();
    const int line = contents.top() + text->fontMetrics().height() / 2;
    const QPoint start(contents.left() + 1, line);
    const qsizetype paragraph = whole.indexOf(u'\n') < 0 ? whole.size() : whole.indexOf(u'\n');
    const int middle =
        text->fontMetrics().horizontalAdvance(whole.left(std::max<qsizetype>(2, paragraph / 2)));
    const QPoint part(std::min(contents.left() + middle, contents.right() - 1), line);

    control->setFocus(Qt::TabFocusReason);
    if (window->focusWidget() != control) return fault("the control given does not take the focus");
    dragOver(text, start, part);
    const QString selected = asCopied(text->selectedText());
    if (window->focusWidget() != text) return fault("the first press does not give it the focus");
    if (selected.isEmpty() || selected.size() >= whole.size() || !whole.startsWith(selected))
        return fault("a drag over the start of its first line selects \"" + selected.toStdString() + '"');
    QTest::keySequence(window->windowHandle(), QKeySequence::Copy);
    if (desktop->pasteboardWrites.size() != writes + 1 || lastWrite() != selected)
        return fault("the copy keys after the first drag put \"" + lastWrite().toStdString() + "\" (" +
                     std::to_string(desktop->pasteboardWrites.size() - writes) +
                     " writes) on the pasteboard, not \"" + selected.toStdString() + '"');

    QTest::keySequence(window->windowHandle(), QKeySequence::SelectAll);
    if (asCopied(text->selectedText()) != whole)
        return fault("Select All selects \"" + text->selectedText().toStdString() + '"');
    rightClick(text, start);
    QMenu* menu = shownMenu();
    if (!menu) return fault("a right-click shows no menu");
    QAction* copy = item(menu, QStringLiteral("Copy"));
    if (!copy || !copy->isEnabled() || !item(menu, QStringLiteral("Select All")))
        return fault("the menu offers no enabled \"Copy\" and \"Select All\"");
    if (!choose(menu, copy)) return fault("the menu stays after \"Copy\"");
    if (lastWrite() != whole) return fault("the menu's \"Copy\" puts \"" + lastWrite().toStdString() + '"');

    dragOver(text, start, part);
    rightClick(text, start);
    menu = shownMenu();
    QAction* all = menu ? item(menu, QStringLiteral("Select All")) : nullptr;
    if (!all || !all->isEnabled() || !choose(menu, all))
        return fault("the menu's \"Select All\" cannot be chosen");
    if (asCopied(text->selectedText()) != whole)
        return fault("the menu's \"Select All\" selects \"" + text->selectedText().toStdString() + '"');

    QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
    if (text->hasSelectedText() || window->focusWidget() == text)
        return fault("Tab keeps the selection or the focus");
    rightClick(text, start);
    menu = shownMenu();
    copy = menu ? item(menu, QStringLiteral("Copy")) : nullptr;
    if (!copy || copy->isEnabled())
        return fault("with nothing selected, the menu's \"Copy\" is not disabled");
    QTest::keyClick(menu, Qt::Key_Escape);
    if (!waitUntil([] { return QApplication::activePopupWidget() == nullptr; }))
        return fault("Esc leaves the menu");
    return ::testing::AssertionSuccess();
}

} // namespace qlan::test
