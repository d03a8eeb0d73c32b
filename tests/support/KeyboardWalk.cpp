#include "support/KeyboardWalk.h"

#include "support/AccessibleNames.h"
#include "support/PersonClick.h"
#include "support/RenderedPixels.h"
#include "support/Wait.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/RadioRow.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyleHints>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <optional>

namespace qlan::test {
namespace {

// What a control does, as the role a screen reader should announce for it; nothing for a widget that is
// no control.
// (A label is no control: the links it shows are, each on its own.)
std::optional<QAccessible::Role> fittingRole(const QWidget* widget) {
    if (qobject_cast<const LinkLabel*>(widget)) return QAccessible::Link;
    if (qobject_cast<const QCheckBox*>(widget)) return QAccessible::CheckBox;
    if (qobject_cast<const QRadioButton*>(widget) || qobject_cast<const RadioRow*>(widget) ||
        RadioGroup::of(widget))
        return QAccessible::RadioButton;
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        const bool exclusive = button->autoExclusive() || (button->group() && button->group()->exclusive());
        return button->isCheckable() && exclusive ? QAccessible::RadioButton : QAccessible::Button;
    }
    if (isTextField(widget)) return QAccessible::EditableText;
    return std::nullopt;
}

QString fieldText(const QWidget* field) {
    if (const auto* line = qobject_cast<const QLineEdit*>(field)) return line->text();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(field)) return plain->toPlainText();
    if (const auto* rich = qobject_cast<const QTextEdit*>(field)) return rich->toPlainText();
    return {};
}

void setFieldText(QWidget* field, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(field)) line->setText(text);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) plain->setPlainText(text);
    if (auto* rich = qobject_cast<QTextEdit*>(field)) rich->setPlainText(text);
}

QAccessibleInterface* accessible(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

QString describe(QWidget* widget) {
    QAccessibleInterface* interface = accessible(widget);
    return QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') + widget->objectName() +
           QStringLiteral(" \"") + (interface ? interface->text(QAccessible::Name) : QString()) +
           QLatin1Char('"');
}

QString roleName(QAccessible::Role role) {
    return QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(role));
}

// The links a label shows, by their text in reading order; a link whose text changes its style is one.
QStringList shownLinks(const QLabel* label) {
    QTextDocument shown;
    if (label->textFormat() == Qt::MarkdownText)
        shown.setMarkdown(label->text());
    else if (label->textFormat() == Qt::RichText ||
             (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text())))
        shown.setHtml(label->text());
    QStringList links;
    QString lastTarget;
    for (QTextCursor at(&shown); !at.atEnd();) {
        at.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        const bool separator = at.selectedText() == QChar(QChar::ParagraphSeparator);
        const QString target = separator ? QString() : at.charFormat().anchorHref();
        if (!target.isEmpty() && target == lastTarget && !links.isEmpty())
            links.last() += at.selectedText();
        else if (!target.isEmpty())
            links.append(at.selectedText());
        lastTarget = target;
        at.clearSelection();
    }
    return links;
}

// Each link the label shows is announced as a link of its own, with the press action.
void checkLinks(QLabel* label, const QStringList& links, QStringList& faults) {
    QAccessibleInterface* text = QAccessible::queryAccessibleInterface(label);
    QStringList announced;
    for (int i = 0; text && i < text->childCount(); ++i) {
        QAccessibleInterface* link = text->child(i);
        if (link && link->role() == QAccessible::Link && link->actionInterface() &&
            link->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()))
            announced << link->text(QAccessible::Name);
    }
    for (const QString& link : links)
        if (!announced.contains(link))
            faults << describe(label) + QStringLiteral(": its link \"") + link +
                          QStringLiteral("\" is not announced as a link with the press action");
}

// What the keys do not scroll as they should: Left and Right sideways, Home and End to the top and
// the bottom. The view is left where it was.
QStringList keysThatDoNotScroll(QAbstractScrollArea* area) {
    QStringList wrong;
    area->setFocus(Qt::TabFocusReason);
    for (const bool sideways : {true, false}) {
        QScrollBar* bar = sideways ? area->horizontalScrollBar() : area->verticalScrollBar();
        if (bar->maximum() <= bar->minimum()) continue;
        const int was = bar->value();
        bar->setValue(bar->minimum());
        QTest::keyClick(area, sideways ? Qt::Key_Right : Qt::Key_End);
        bool scrolls = sideways ? bar->value() > bar->minimum() : bar->value() == bar->maximum();
        QTest::keyClick(area, sideways ? Qt::Key_Left : Qt::Key_Home);
        scrolls = scrolls && bar->value() == bar->minimum();
        bar->setValue(was);
        if (!scrolls)
            wrong << (sideways ? QStringLiteral("Left and Right do not scroll it sideways")
                               : QStringLiteral("Home and End do not reach its top and bottom"));
    }
    return wrong;
}

// Whatever Tab stops on that is no control is a list to read: announced as a list, each row a list
// item with no action.
void checkList(QWidget* stop, QStringList& faults) {
    QAccessibleInterface* list = accessible(stop);
    const int rows = list && list->role() == QAccessible::List ? std::min(list->childCount(), 50) : -1;
    if (rows < 0)
        faults << describe(stop) + QStringLiteral(": Tab stops on it, but it is not announced as a list");
    for (int i = 0; i < rows; ++i)
        if (QAccessibleInterface* row = list->child(i);
            !row || row->role() != QAccessible::ListItem ||
            (row->actionInterface() && !row->actionInterface()->actionNames().isEmpty())) {
            faults << describe(stop) +
                          QStringLiteral(": its row %1 is no plain list item without an action").arg(i);
            return;
        }
}

// Only a button bound to Return is a default, drawn (isDefault) and announced so, whichever control
// holds the focus. Returns the window's default button, if it shows one.
QPushButton* checkDefault(QWidget* window, QStringList& faults) {
    QPushButton* shown = nullptr;
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->window() != window || !button->isVisible()) continue;
        const auto* prominent = qobject_cast<ProminentButton*>(button);
        const bool bound = prominent && prominent->isBoundToReturn();
        if (const QString fault = describe(button) + QStringLiteral(": drawn or announced as the default or "
                                                                    "not, but Return is bound to it or not");
            (button->isDefault() != bound || accessible(button)->state().defaultButton != bound) &&
            !faults.contains(fault))
            faults << fault;
        if (bound && shown) faults << describe(button) + QStringLiteral(": a second default button");
        if (bound) shown = button;
    }
    return shown;
}

// Where the window shows no default, Return presses no button wherever the focus is (a link follows
// itself on Return and a text field takes it: not pressed there).
void checkReturnPressesNothing(QWidget* window, QStringList& faults) {
    QWidget* focus = window->focusWidget() ? window->focusWidget() : window;
    if (fittingRole(focus) == QAccessible::Link || qobject_cast<QLabel*>(focus) || isTextField(focus)) return;
    QObject clicks;
    QStringList pressed;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        QObject::connect(button, &QAbstractButton::clicked, &clicks,
                         [&pressed, button] { pressed << describe(button); });
    QTest::keyClick(focus, Qt::Key_Return);
    if (!pressed.isEmpty() || !window->isVisible())
        faults << QStringLiteral("Return from ") + describe(focus) + QStringLiteral(" presses \"") +
                      pressed.join(", ") +
                      QStringLiteral("\" or closes the window, which shows no default button");
}

// The focus ring the window shows; null when it shows none.
QWidget* shownRing(QWidget* window) {
    auto* ring = window->findChild<QWidget*>(QStringLiteral("focus-ring"), Qt::FindDirectChildrenOnly);
    return ring && ring->isVisible() ? ring : nullptr;
}

// A click inside the ring of a check box, in its middle or just inside either end, toggles it (a second
// click puts it back); a press there takes a radio button down (released elsewhere, it chooses nothing).
void checkClicksInsideRing(QWidget* control, QWidget* window, QStringList& faults) {
    auto* button = qobject_cast<QAbstractButton*>(control);
    const QWidget* ring = shownRing(window);
    const bool box = fittingRole(control) == QAccessible::CheckBox;
    if (!button || !ring || (!box && fittingRole(control) != QAccessible::RadioButton)) return;
    const QRect edge =
        ring->geometry() - QMargins(focusRingExtent, focusRingExtent, focusRingExtent, focusRingExtent);
    const int middle = edge.center().y();
    for (const QPoint at :
         {edge.center(), QPoint(edge.left() + 2, middle), QPoint(edge.right() - 2, middle)}) {
        const QPoint local = button->mapFrom(window, at);
        const bool was = button->isChecked();
        bool reached = window->childAt(at) == button;
        if (box) {
            QTest::mouseClick(button, Qt::LeftButton, {}, local);
            reached = reached && button->isChecked() != was;
            if (button->isChecked() != was) QTest::mouseClick(button, Qt::LeftButton, {}, local);
        } else {
            QTest::mousePress(button, Qt::LeftButton, {}, local);
            reached = reached && button->isDown();
            QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-1000, -1000));
        }
        if (!reached)
            faults << describe(button) + QStringLiteral(": a click inside its ring at (%1, %2) misses it")
                                             .arg(at.x())
                                             .arg(at.y());
    }
}

void checkRoles(const QList<QWidget*>& controls, QStringList& faults) {
    QHash<QWidget*, int> checkedInGroup; // radio buttons by the widget that holds them
    for (QWidget* control : controls) {
        QAccessibleInterface* interface = accessible(control);
        const QAccessible::Role role = *fittingRole(control);
        if (!interface || interface->role() != role) {
            faults << describe(control) + QStringLiteral(": announced as ") +
                          (interface ? roleName(interface->role()) : QStringLiteral("nothing")) +
                          QStringLiteral(", should be ") + roleName(role);
            continue;
        }
        if (interface->text(QAccessible::Name).trimmed().isEmpty())
            faults << describe(control) + QStringLiteral(": no name");
        if (role == QAccessible::Link &&
            !(interface->actionInterface() && interface->actionInterface()->actionNames().contains(
                                                  QAccessibleActionInterface::pressAction())))
            faults << describe(control) + QStringLiteral(": a link without the press action");
        if (role == QAccessible::RadioButton) {
            if (QAccessibleInterface* group = interface->parent();
                group && group->role() == QAccessible::Grouping && group->text(QAccessible::Name).isEmpty())
                faults << describe(control) + QStringLiteral(": its group has no name");
            if (interface->state().checked != qobject_cast<QAbstractButton*>(control)->isChecked())
                faults << describe(control) + QStringLiteral(": announces another checked state");
            if (interface->state().checked && ++checkedInGroup[control->parentWidget()] == 2)
                faults << describe(control) + QStringLiteral(": a second checked choice in its group");
        }
    }
}

// Exclusive choices of one group are one control: while the focus is in the group, a click on a choice
// moves the focus there, and an arrow key goes on from that choice. The choice made before is made again.
void checkClickInGroup(QWidget* stop, QWidget* window, QStringList& faults) {
    QList<QAbstractButton*> choices;
    for (auto* each : stop->parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
        if (each->isVisible() && each->isEnabled() && fittingRole(each) == QAccessible::RadioButton)
            choices.append(each);
    std::sort(choices.begin(), choices.end(), [](auto* a, auto* b) { return readsBefore(a, b); });
    auto* const was = qobject_cast<QAbstractButton*>(stop);
    if (choices.size() < 2 || !was || !was->isChecked()) return;
    QAbstractButton* clicked = choices.last() != was ? choices.last() : choices.first();
    const qsizetype at = choices.indexOf(clicked);
    was->setFocus(Qt::OtherFocusReason);
    clickAsAPerson(clicked);
    if (window->focusWidget() == clicked) QTest::keyClick(clicked, at > 0 ? Qt::Key_Up : Qt::Key_Down);
    if (QAbstractButton* after = choices.at(at > 0 ? at - 1 : at + 1);
        window->focusWidget() != after || !after->isChecked())
        faults << QStringLiteral("a click on ") + describe(clicked) +
                      QStringLiteral(" then an arrow key do not go on from it to ") + describe(after);
    clickAsAPerson(was);
}

} // namespace

::testing::AssertionResult walksByKeyboard(QWidget* window) {
    QStringList faults;
    QList<QWidget*> controls;
    for (QWidget* widget : window->findChildren<QWidget*>())
        if (widget->window() == window && widget->isVisible() && widget->isEnabled() && fittingRole(widget))
            controls.append(widget);
    if (controls.isEmpty()) faults << QStringLiteral("no control is shown: nothing to walk");
    checkRoles(controls, faults);
    QHash<QLabel*, QStringList> linksToReach;
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->window() == window && label->isVisible() && label->isEnabled())
            if (const QStringList links = shownLinks(label); !links.isEmpty()) {
                checkLinks(label, links, faults);
                linksToReach.insert(label, links);
            }

    // Tab until the focus comes round again: from a container the screen left the focus on, else from
    // nothing focused. (A focus on a hidden control is where the test left it: in an active window Qt
    // moves it on when the control hides.)
    // As a pointer user finds the window: no ring before a key moves the focus, but on a text field.
    const bool keyboardUsed = keyboardHasMovedFocus();
    if (QWidget* ring = shownRing(window); ring && !keyboardUsed && !isTextField(window->focusWidget()))
        faults << QStringLiteral("a focus ring shows on ") + describe(window->focusWidget()) +
                      QStringLiteral(" before any key moved the focus");
    QPushButton* const defaultButton = checkDefault(window, faults);
    if (!defaultButton) checkReturnPressesNothing(window, faults);
    const QPointer<QWidget> focused = window->focusWidget();
    const bool onContainer = focused && focused->isVisible() && !(focused->focusPolicy() & Qt::TabFocus);
    // Tab from where the focus stands shows the ring, also where it leaves the focus there (the only stop).
    if (focused && focused->isVisible() && !onContainer && !isTextField(focused)) {
        QTest::keyClick(focused, Qt::Key_Tab);
        if (!shownRing(window))
            faults << QStringLiteral("Tab from ") + describe(focused) +
                          QStringLiteral(" shows no focus ring");
        focused->setFocus(Qt::OtherFocusReason);
    }
    if (focused && !onContainer) focused->clearFocus();
    QList<QWidget*> stops;
    for (qsizetype step = 0; step <= controls.size() + window->findChildren<QWidget*>().size(); ++step) {
        QWidget* from = window->focusWidget() ? window->focusWidget() : window;
        const std::optional<QString> typed =
            isTextField(from) ? std::optional(fieldText(from)) : std::nullopt;
        QTest::keyClick(from, Qt::Key_Tab);
        QWidget* to = window->focusWidget();
        if (typed && (to == from || fieldText(from) != *typed)) {
            faults << describe(from) + QStringLiteral(": Tab stays in the text field or types into it");
            setFieldText(from, *typed);
            break;
        }
        if (auto* label = qobject_cast<QLabel*>(to)) {
            // A label is a stop for its links only, and shows which one has the focus.
            QAccessibleInterface* text = accessible(label);
            QAccessibleInterface* link = text ? text->focusChild() : nullptr;
            if (link && link->role() == QAccessible::Link)
                linksToReach[label].removeOne(link->text(QAccessible::Name));
            else if (const QString fault = describe(label) + QStringLiteral(": Tab stops on it, but no link "
                                                                            "in it shows the focus");
                     !faults.contains(fault))
                faults << fault;
        }
        if (to == from) continue; // Tab moving between the links inside a label
        if (!to || stops.contains(to)) break;
        if (!fittingRole(to) &&
            (!accessible(to) || accessible(to)->text(QAccessible::Name).trimmed().isEmpty()))
            faults << describe(to) + QStringLiteral(": Tab stops on it, but it has no name");
        if (!fittingRole(to) && !qobject_cast<QLabel*>(to)) checkList(to, faults);
        if (!stops.isEmpty() && readsBefore(to, stops.last()))
            faults << QStringLiteral("Tab goes from ") + describe(stops.last()) + QStringLiteral(" to ") +
                          describe(to) + QStringLiteral(", which reads before it");
        if (const ::testing::AssertionResult ring = focusRingStandsOutside(to); !ring)
            faults << describe(to) + QStringLiteral(": ") + QString::fromStdString(ring.message());
        checkClicksInsideRing(to, window, faults);
        if (checkDefault(window, faults) != defaultButton)
            faults << describe(to) + QStringLiteral(": the default button changes when it takes the focus");
        else if (!defaultButton)
            checkReturnPressesNothing(window, faults);
        stops.append(to);
    }
    // Exclusive choices of one group are one stop: Tab reaches the group, the arrow keys choose in it.
    const auto reached = [&stops](QWidget* control) {
        if (stops.contains(control)) return true;
        if (fittingRole(control) != QAccessible::RadioButton) return false;
        for (QWidget* stop : stops)
            if (stop->parentWidget() == control->parentWidget() &&
                fittingRole(stop) == QAccessible::RadioButton)
                return true;
        return false;
    };
    for (QWidget* control : controls)
        if (!reached(control)) faults << describe(control) + QStringLiteral(": not reached by Tab");
    for (auto it = linksToReach.cbegin(); it != linksToReach.cend(); ++it)
        for (const QString& link : it.value())
            faults << describe(it.key()) + QStringLiteral(": its link \"") + link +
                          QStringLiteral("\" is not reached by Tab");
    for (QWidget* stop : stops)
        if (fittingRole(stop) == QAccessible::RadioButton) checkClickInGroup(stop, window, faults);
    for (QAbstractScrollArea* area : window->findChildren<QAbstractScrollArea*>()) {
        if (area->window() != window || !area->isVisible() || isTextField(area)) continue;
        const QScrollBar* across = area->horizontalScrollBar();
        if (!stops.contains(area) && across->maximum() > across->minimum())
            faults << describe(area) + QStringLiteral(": scrolls sideways, but Tab does not reach it");
        else if (stops.contains(area))
            for (const QString& fault : keysThatDoNotScroll(area))
                faults << describe(area) + QStringLiteral(": ") + fault;
    }

    if (focused)
        focused->setFocus(Qt::OtherFocusReason);
    else if (window->focusWidget())
        window->focusWidget()->clearFocus();
    window->setAttribute(Qt::WA_KeyboardFocusChange, false);
    if (!keyboardUsed) forgetKeyboardUse();

    if (faults.isEmpty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << faults.join(QLatin1Char('\n')).toStdString();
}

namespace {

// A sheet over `window` becomes the key window as it shows, as on a Mac (the offscreen platform leaves the
// window key); as it hides, in a Mac's order, the window comes to the front inside the hide, before the sheet
// hears of it: an application's filter sees the hide before the sheet's own.
class SheetKeyWindows : public QObject {
public:
    SheetKeyWindows(QWidget* window, SheetEnd order)
        : window_(window)
        , order_(order) {
        qApp->installEventFilter(this);
    }
    ~SheetKeyWindows() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* sheet = qobject_cast<QWidget*>(watched);
        if (!sheet || !sheet->isWindow() || sheet == window_ || !sheet->parentWidget() ||
            sheet->parentWidget()->window() != window_)
            return false;
        if (event->type() == QEvent::Show) {
            activate(sheet->windowHandle());
        } else if (event->type() == QEvent::ShowToParent) {
            // The platform queued an activation of its own as the sheet's window showed: it is delivered now,
            // not after a sheet ended in the same turn, where it would take the front from the window.
            QWindowSystemInterface::flushWindowSystemEvents(QEventLoop::ExcludeUserInputEvents);
        } else if (event->type() == QEvent::Hide && order_ == SheetEnd::activateInsideHide) {
            activate(window_->windowHandle());
        }
        return false;
    }

private:
    static void activate(QWindow* window) {
        // Qt 6.7 renamed the call and kept no alias.
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
        QWindowSystemInterface::handleFocusWindowChanged<QWindowSystemInterface::SynchronousDelivery>(
            window, Qt::ActiveWindowFocusReason);
#else
        QWindowSystemInterface::handleWindowActivated<QWindowSystemInterface::SynchronousDelivery>(
            window, Qt::ActiveWindowFocusReason);
#endif
    }

    QWidget* window_;
    SheetEnd order_;
};

} // namespace

AfterSheet focusAfterSheet(QWidget* window, QWidget* opener, const std::function<void()>& close,
                           SheetEnd order, QWidget* pressedText) {
    if (pressedText) {
        dragOver(pressedText, QPoint(2, pressedText->height() / 2),
                 QPoint(pressedText->width() / 2, pressedText->height() / 2));
        EXPECT_EQ(window->focusWidget(), pressedText);
    } else {
        for (int tab = 0; tab < 50 && window->focusWidget() != opener; ++tab)
            QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Tab);
        EXPECT_EQ(window->focusWidget(), opener);
    }
    SheetKeyWindows keyWindows(window, order);
    if (pressedText)
        clickAsAPerson(qobject_cast<QAbstractButton*>(opener));
    else
        QTest::keyClick(opener, Qt::Key_Space);
    const Heard heard = heardWhile([&] {
        close();
        window->activateWindow();
        EXPECT_TRUE(waitForWindowActive(window));
        EXPECT_TRUE(waitForQueuedCalls()); // the hand-back, and what it hands on
    });
    AfterSheet after{
        window->focusWidget() ? window->focusWidget() : window, shownRing(window) != nullptr, {}};
    for (const Told& told : heard.focus)
        if (told.window == window) after.told << told;
    // The window may be told as its screens switch; of its controls only where the focus lands, once, last.
    for (qsizetype i = 0; i < after.told.size(); ++i) {
        const QObject* widget = after.told[i].widget;
        EXPECT_TRUE(widget == window || (widget == after.focus && i == after.told.size() - 1))
            << "told " << ::testing::PrintToString(after.told) << " where the focus did not land";
    }
    if (after.focus != window) {
        EXPECT_FALSE(after.told.isEmpty() || after.told.last().widget != after.focus)
            << "told " << ::testing::PrintToString(after.told) << ", not where the focus landed";
    }
    return after;
}

BackInFront focusBackInFront(QWidget* window, QWidget* control, const std::function<void()>& act) {
    QStyleHints* hints = QGuiApplication::styleHints();
    const Qt::TabFocusBehavior before = hints->tabFocusBehavior();
    hints->setTabFocusBehavior(Qt::TabFocusTextControls);
    const auto putBack = qScopeGuard([hints, before] { hints->setTabFocusBehavior(before); });
    window->activateWindow();
    EXPECT_TRUE(waitForWindowActive(window));
    control->setFocus(Qt::TabFocusReason);
    QWidget other;
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    EXPECT_TRUE(waitForWindowActive(&other));
    act();
    BackInFront back;
    back.told = focusedWidgetsWhile([&] {
        window->activateWindow();
        EXPECT_TRUE(waitForWindowActive(window));
        EXPECT_TRUE(waitForQueuedCalls());
    });
    back.focus = window->focusWidget() ? window->focusWidget() : window;
    return back;
}

} // namespace qlan::test
