// The shared widgets: type scale, labels, links, radio rows, the Return-bound button and the desktop seam;
// and the keyboard walk the journeys take at every screen.

#include "platform/Worker.h"
#include "support/AccessibleNames.h"
#include "support/KeyboardWalk.h"
#include "support/PersonClick.h"
#include "support/RecordingDesktopActions.h"
#include "support/RenderedPixels.h"
#include "support/ScopedVariable.h"
#include "support/ScreenCapture.h"
#include "support/SelectableTexts.h"
#include "support/Wait.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/FramedBox.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/RadioRow.h"
#include "ui/widgets/ScreenPieces.h"
#include "ui/widgets/SegmentedControl.h"
#include "ui/widgets/SelectableText.h"
#include "ui/widgets/SymbolIcon.h"
#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TextLabel.h"
#include "ui/widgets/TypeScale.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <gmock/gmock.h>

#include <memory>

using namespace qlan;
using qlan::test::RecordingDesktopActions;

namespace {

void showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(test::waitForWindowActive(window));
}

} // namespace

TEST(TypeScale, TheSecondaryStyleReachesLabelsButtonsAndRowTextsInBothAppearances) {
    const QPalette saved = QApplication::palette();
    QPalette light = saved;
    light.setColor(QPalette::Window, QColor("#ececec"));
    light.setColor(QPalette::WindowText, Qt::black);
    QPalette dark = saved;
    dark.setColor(QPalette::Window, QColor("#323232"));
    dark.setColor(QPalette::WindowText, Qt::white);
    QApplication::setPalette(light);

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* label = new TextLabel(QStringLiteral("A caption"), TextRole::caption);
    auto* button = new QPushButton(QStringLiteral("Keep my current Java"));
    button->setFlat(true);
    auto* row = new RadioRow(QStringLiteral("Java 21"), QStringLiteral("Previous LTS"));
    for (QWidget* widget : {static_cast<QWidget*>(label), static_cast<QWidget*>(button)})
        TypeScale::applySecondaryStyle(widget);
    layout->addWidget(label);
    layout->addWidget(button);
    layout->addWidget(row);
    window.show();
    // Each is drawn in the colour of the role it paints with (a row's texts paint with the row's).
    const auto ink = [](QWidget* widget) { return widget->palette().color(widget->foregroundRole()); };
    for (const auto& [appearance, text] : {std::pair{light, QColor(Qt::black)}, {dark, QColor(Qt::white)}}) {
        QApplication::setPalette(appearance);
        QCoreApplication::processEvents();
        for (QWidget* widget : {static_cast<QWidget*>(label), static_cast<QWidget*>(button),
                                static_cast<QWidget*>(row->descriptionLabel())}) {
            EXPECT_EQ(ink(widget), secondaryTextColor(appearance)) << widget->metaObject()->className();
            EXPECT_LT(ink(widget).alphaF(), 1.0);
            EXPECT_EQ(ink(widget).rgb(), text.rgb());
        }
        EXPECT_EQ(ink(row->titleLabel()).alphaF(), 1.0);
    }
    QApplication::setPalette(saved);
}

TEST(SymbolIcon, ShapesAreVectorsDrawnInTheSystemColourOfTheAppearance) {
    const qreal side = 40;
    const QPointF centre(20, 20), onRing(20, 1.5), betweenRingAndDot(20, 6.5),
        onTick(0.44 * side, 0.66 * side);
    const QPainterPath check = SymbolIcon::shape(Symbol::checkmarkCircleFill, side);
    EXPECT_TRUE(check.contains(onRing));
    EXPECT_TRUE(check.contains(betweenRingAndDot));
    EXPECT_FALSE(check.contains(onTick)); // the tick is cut out of the disc
    const QPainterPath ring = SymbolIcon::shape(Symbol::circle, side);
    EXPECT_TRUE(ring.contains(onRing));
    EXPECT_FALSE(ring.contains(centre));
    const QPainterPath chosen = SymbolIcon::shape(Symbol::largecircleFillCircle, side);
    EXPECT_TRUE(chosen.contains(onRing));
    EXPECT_TRUE(chosen.contains(centre));
    EXPECT_FALSE(chosen.contains(betweenRingAndDot));

    // Beside text of its role, the symbol sits on the first line, however many lines the text takes.
    QWidget row;
    auto* layout = new QHBoxLayout(&row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* icon = new SymbolIcon(Symbol::checkmarkCircleFill, SystemColor::green, TextRole::body);
    auto* text = new TextLabel(QStringLiteral("Homebrew installed and a long explanation that wraps onto "
                                              "several lines at this narrow width"));
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(text, 1, Qt::AlignTop);
    row.resize(160, 200);
    for (const QColor window : {QColor("#ececec"), QColor("#1e1e1e")}) {
        QPalette palette = row.palette();
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, window.lightness() > 128 ? Qt::black : Qt::white);
        row.setPalette(palette);
        row.show();
        const QColor green = systemColor(SystemColor::green, palette);
        const QImage drawn = icon->grab().toImage();
        int top = -1, bottom = -1;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                if (drawn.pixelColor(x, y) == green) {
                    if (top < 0) top = y;
                    bottom = y;
                }
        ASSERT_GE(top, 0) << window.name().toStdString();
        const QFontMetrics metrics(text->font());
        const int middle = icon->y() + (top + bottom) / 2 - text->y();
        EXPECT_GT(text->height(), 2 * metrics.height());
        EXPECT_GE(middle, metrics.ascent() - metrics.capHeight());
        EXPECT_LE(middle, metrics.ascent());
    }
}

#ifndef Q_OS_MACOS
TEST(DesktopActions, TheFolderChooserShowsItsMessageAndGivesTheChosenFolder) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Projects")));
    const test::ScopedVariable homeHere("HOME", home.path().toUtf8());
    QWidget window;
    QString shownMessage;
    QTimer::singleShot(0, &window, [&] { // dropped with the window, should no loop run it
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        if (auto* message = dialog->findChild<QLabel*>(QStringLiteral("folder-chooser-message")))
            if (message->isVisible()) shownMessage = message->text();
        auto* chooser = dialog->findChild<QFileDialog*>();
        ASSERT_NE(chooser, nullptr);
        chooser->selectFile(home.path() + QStringLiteral("/Projects"));
        static_cast<QDialog*>(chooser)->accept(); // as the confirm button does
    });
    const std::optional<QString> chosen = LiveDesktopActions().chooseFolder(
        &window, {QStringLiteral("Choose a folder for Claude to work in"), QStringLiteral("Choose")});
    EXPECT_EQ(shownMessage, QStringLiteral("Choose a folder for Claude to work in"));
    EXPECT_EQ(chosen, std::optional<QString>(home.path() + QStringLiteral("/Projects")));
}
#endif

TEST(TextLabel, ShowsMarkupLiterallyAndMarkdownLabelFormatsIt) {
    const QString source = QStringLiteral("<b>Bold</b> and **strong**");
    TextLabel plain(source);
    MarkdownLabel markdown(source);
    EXPECT_EQ(plain.text(), source);
    EXPECT_EQ(plain.textFormat(), Qt::PlainText);
    EXPECT_EQ(markdown.textFormat(), Qt::MarkdownText);
    // Shown literally, every character of the markup takes room; rendered, the markers disappear.
    plain.setWordWrap(false);
    markdown.setWordWrap(false);
    EXPECT_GT(plain.sizeHint().width(), markdown.sizeHint().width());
}

TEST(MarkdownLabel, ProseWithoutSyntaxIsShownAsPlainTextAndLooksTheSame) {
    const std::pair<const char*, bool> cases[] = {
        {"Homebrew is the package manager developers use. Nothing changes without your okay.", true},
        {"Claude Code (the CLI tool) needs a paid plan \u2014 it\u2019s an Anthropic requirement.", true},
        {"An **explanation**", false},
        {"Snake_case and `code`", false},
        {"Two\nlines", false},
        {"- a list item", false},
        {"1. a numbered item", false},
        {"> a quote", false},
        {"AT&amp;T", false},
        {"<b>html</b>", false},
        {"See https://guide.example", false},
        {"# Heading", false},
    };
    for (const auto& [text, plain] : cases) {
        const QString markdown = QString::fromUtf8(text);
        EXPECT_EQ(MarkdownLabel::isPlainProse(markdown), plain) << text;
        EXPECT_EQ(MarkdownLabel(markdown).textFormat(), plain ? Qt::PlainText : Qt::MarkdownText) << text;
    }
    // The same pixels either way.
    const QString prose = QString::fromUtf8(cases[1].first);
    MarkdownLabel fast(prose);
    MarkdownLabel rendered(prose);
    rendered.setTextFormat(Qt::MarkdownText);
    for (MarkdownLabel* label : {&fast, &rendered}) {
        label->setAttribute(Qt::WA_DontShowOnScreen);
        label->resize(240, label->heightForWidth(240));
        label->show();
    }
    EXPECT_EQ(fast.size(), rendered.size());
    EXPECT_EQ(fast.grab().toImage(), rendered.grab().toImage());
}

TEST(LabelHeights, KeptAnswersStayQLabelsOwnThroughEveryChange) {
    TextLabel kept(QStringLiteral("A few words that wrap onto more than one line at a narrow width"));
    MarkdownLabel keptMarkdown(
        QStringLiteral("A few **words** that wrap onto more than one line at a narrow width"));
    for (QLabel* label : std::initializer_list<QLabel*>{&kept, &keptMarkdown}) {
        QLabel plain;
        const auto expectSame = [&](const char* step) {
            plain.setTextFormat(label->textFormat());
            plain.setText(label->text());
            plain.setFont(label->font());
            plain.setWordWrap(label->wordWrap());
            plain.setMargin(label->margin());
            plain.setIndent(label->indent());
            plain.setContentsMargins(label->contentsMargins());
            for (int width : {80, 160, 80, 400, 160})
                EXPECT_EQ(label->heightForWidth(width), plain.heightForWidth(width))
                    << step << " at " << width;
        };
        expectSame("as made");
        label->setText(label->text() + QStringLiteral(" and then some more words to wrap"));
        expectSame("longer text");
        label->setFont(TypeScale::font(TextRole::largeTitle));
        expectSame("larger font");
        label->setMargin(12);
        expectSame("margin");
        label->setContentsMargins(3, 9, 3, 9);
        expectSame("contents margins");
        label->setWordWrap(false);
        expectSame("no wrapping");
    }
}

TEST(SelectableText, DraggingSelectsAndTheMachineryWaitsForTheFirstPress) {
    QWidget window;
    auto recorder = std::make_shared<RecordingDesktopActions>();
    DesktopActions::install(&window, recorder);
    auto* layout = new QVBoxLayout(&window);
    auto* text = new TextLabel(QStringLiteral("Select these words\nand this line"));
    auto* prose = new MarkdownLabel(QStringLiteral("Select these words too"));
    auto* markdown = new MarkdownLabel(QStringLiteral("Select **these** words"));
    auto* code = new CodeBox(QStringLiteral("/bin/bash -c \"$(curl -fsSL https://example.test/install.sh)\""),
                             TextRole::caption);
    auto* fixed = new TextLabel(QStringLiteral("Not these words"));
    auto* button = new QPushButton(QStringLiteral("Elsewhere"));
    button->setFocusPolicy(Qt::TabFocus);
    for (QLabel* label : std::initializer_list<QLabel*>{text, prose, markdown, code, fixed}) {
        label->setWordWrap(false);
        layout->addWidget(label);
    }
    layout->addWidget(button);
    text->setSelectable(true);
    prose->setSelectable(true);
    markdown->setSelectable(true);
    fixed->setSelectable(true);
    fixed->setSelectable(false); // and back, before anyone pressed it
    showActive(&window);

    QLabel* before = nullptr;
    for (QLabel* label : std::initializer_list<QLabel*>{text, prose, markdown, code, fixed}) {
        const bool selectable = label != fixed;
        EXPECT_EQ(isSelectableByMouse(label), selectable) << label->text().toStdString();
        EXPECT_FALSE(label->textInteractionFlags() & Qt::TextSelectableByMouse); // nothing set up yet
        EXPECT_EQ(label->cursor().shape(), selectable ? Qt::IBeamCursor : Qt::ArrowCursor);
        EXPECT_FALSE(label->focusPolicy() & Qt::TabFocus); // never a stop of Tab for its text
        if (selectable) {                                  // with a screen reader listening
            test::heardWhile([&] { EXPECT_TRUE(test::copiesAsAPerson(label, button)); });
        }
        const int line = label->contentsRect().top() + label->fontMetrics().height() / 2;
        test::dragOver(label, QPoint(2, line), QPoint(label->width() - 2, line));
        EXPECT_EQ(label->hasSelectedText(), selectable) << label->text().toStdString();
        if (before && selectable) {
            EXPECT_FALSE(before->hasSelectedText()) << "two texts selected at once";
        }
        if (selectable) before = label;
    }
    // A press on a text that cannot be selected leaves the focus, but lets the selection go.
    EXPECT_EQ(window.focusWidget(), code);
    EXPECT_FALSE(code->hasSelectedText());
}

// A person selects in one text, then in another, clicks a button and an empty place, and tabs on: one
// selection at a time, and the copy keys copy nothing once it is gone. The press that takes the focus from a
// button going at once (its screen reads the Mac again) leaves it on the text. Tab and Shift-Tab go on to the
// controls around the text in reading order (also for a text made after them), heard as the text and then the
// control only. No key follows a link that a selection starts in, and Return presses only the default button,
// as with the focus on the window; no ring shows round a pressed text; Esc leaves the sheet.
TEST(SelectableText, OneSelectionAtATimeAndTheKeysGoOnAsFromTheWindow) {
    QDialog sheet;
    auto recorder = std::make_shared<RecordingDesktopActions>();
    DesktopActions::install(&sheet, recorder);
    auto* layout = new QVBoxLayout(&sheet);
    auto* heading = new TextLabel(QStringLiteral("Select these words"));
    auto* first = new QPushButton(QStringLiteral("First"));
    auto* second = new QPushButton(QStringLiteral("Second"));
    auto* linked = new MarkdownLabel(QStringLiteral("[Read more](https://guide.example/one) about it"));
    auto* proceed = new ProminentButton(QStringLiteral("Continue"));
    for (QWidget* widget : std::initializer_list<QWidget*>{heading, first, second, linked, proceed}) {
        if (auto* button = qobject_cast<QPushButton*>(widget)) button->setFocusPolicy(Qt::TabFocus);
        layout->addWidget(widget);
    }
    layout->addStretch(1);
    // Made last, shown between the two buttons: Qt's own chain puts it after "Continue".
    auto* late = new TextLabel(QStringLiteral("Made last, read between"));
    layout->insertWidget(2, late);
    for (auto* text : {heading, late})
        text->setSelectable(true);
    linked->setSelectable(true);
    sheet.resize(400, 400);
    showActive(&sheet);
    QSignalSpy firstClicks(first, &QPushButton::clicked);
    QSignalSpy secondClicks(second, &QPushButton::clicked);
    QSignalSpy proceedClicks(proceed, &QPushButton::clicked);
    const auto dragAcross = [](QLabel* text) {
        test::dragOver(text, QPoint(2, text->height() / 2), QPoint(text->width() / 2, text->height() / 2));
        EXPECT_TRUE(text->hasSelectedText()) << text->text().toStdString();
    };

    first->setFocus(Qt::TabFocusReason);
    const test::Heard pressed = test::heardWhile([&] {
        QObject pressTurn;
        QObject::connect(qApp, &QApplication::focusChanged, &pressTurn, [&](QWidget*, QWidget* now) {
            if (now == heading) first->setEnabled(false);
        });
        dragAcross(heading);
        ASSERT_TRUE(test::waitForQueuedCalls());
    });
    first->setEnabled(true);
    EXPECT_EQ(sheet.focusWidget(), heading);
    EXPECT_EQ(pressed.focus, (QList<test::Told>{{heading, heading->text()}}));
    dragAcross(late);
    EXPECT_FALSE(heading->hasSelectedText());
    test::clickAsAPerson(first);
    EXPECT_FALSE(late->hasSelectedText());
    EXPECT_EQ(firstClicks.count(), 1);
    EXPECT_EQ(sheet.focusWidget(), late); // a click leaves the focus where it was
    QTest::keySequence(sheet.windowHandle(), QKeySequence::Copy);
    EXPECT_EQ(recorder->pasteboardWrites, QStringList{});
    dragAcross(heading);
    QTest::mouseClick(sheet.windowHandle(), Qt::LeftButton, {},
                      QPoint(sheet.width() / 2, sheet.height() - 10));
    EXPECT_FALSE(heading->hasSelectedText());

    for (const bool next : {true, false}) {
        dragAcross(late);
        const test::Heard tabbed = test::heardWhile([&] {
            QTest::keyClick(sheet.windowHandle(), Qt::Key_Tab, next ? Qt::NoModifier : Qt::ShiftModifier);
        });
        QPushButton* const expected = next ? second : first;
        EXPECT_FALSE(late->hasSelectedText());
        EXPECT_EQ(sheet.focusWidget(), expected);
        EXPECT_EQ(tabbed.focus, (QList<test::Told>{{expected, expected->text()}}));
    }
    const auto ringShown = [&sheet] {
        const auto* ring = sheet.findChild<QWidget*>(QStringLiteral("focus-ring"));
        return ring && ring->isVisible();
    };
    EXPECT_TRUE(ringShown());

    const QRect link = linked->linkRects(0).first().toAlignedRect();
    test::dragOver(linked, link.center(), QPoint(linked->width() - 2, link.center().y()));
    ASSERT_TRUE(linked->hasSelectedText());
    EXPECT_EQ(sheet.focusWidget(), linked);
    EXPECT_FALSE(ringShown());
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(sheet.windowHandle(), key);
    EXPECT_EQ(recorder->openedURLs, QList<QUrl>{});
    proceed->bindToReturn(); // now the window has a default button
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(sheet.windowHandle(), key);
    EXPECT_EQ(recorder->openedURLs, QList<QUrl>{});
    EXPECT_EQ(proceedClicks.count(), 2);
    EXPECT_EQ(firstClicks.count() + secondClicks.count(), 1);
    QTest::keyClick(sheet.windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(test::waitUntil([&] { return sheet.isHidden(); }));
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
}

TEST(MarkdownLabel, EachLinkIsAStopOfTabThatAClickSpaceAndThePressActionOpen) {
    QWidget window;
    auto recorder = std::make_shared<RecordingDesktopActions>();
    DesktopActions::install(&window, recorder);
    auto* layout = new QVBoxLayout(&window);
    auto* label = new MarkdownLabel(QStringLiteral(
        "[Read more](https://guide.example/one) or see [the **other** one](https://guide.example/two)."));
    auto* defaultButton = new ProminentButton(QStringLiteral("Continue"));
    defaultButton->bindToReturn();
    layout->addWidget(label);
    layout->addWidget(defaultButton);
    window.resize(600, 200);
    showActive(&window);
    QSignalSpy defaultClicks(defaultButton, &QPushButton::clicked);
    const QUrl one(QStringLiteral("https://guide.example/one")),
        two(QStringLiteral("https://guide.example/two"));

    // The links stand where the label draws their texts.
    const QFontMetrics metrics(label->font());
    ASSERT_EQ(label->linkRects(1).size(), 1);
    EXPECT_NEAR(label->linkRects(1).first().left(),
                metrics.horizontalAdvance(QStringLiteral("Read more or see ")), 2);
    QTest::mouseClick(label, Qt::LeftButton, {}, label->linkRects(0).first().center().toPoint());

    // A screen reader hears the text, with each link as a link of its own.
    QAccessibleInterface* text = QAccessible::queryAccessibleInterface(label);
    ASSERT_EQ(text->childCount(), 2);
    EXPECT_EQ(text->child(1)->role(), QAccessible::Link);
    EXPECT_EQ(text->child(1)->text(QAccessible::Name), QStringLiteral("the other one"));

    // Tab goes from link to link, then on; Shift-Tab comes back to the last link. Space follows the
    // focused link; Return stays with the default button.
    label->clearFocus();
    QTest::keyClick(&window, Qt::Key_Tab);
    EXPECT_EQ(label->focusedLink(), 0);
    EXPECT_EQ(text->focusChild(), text->child(0));
    QTest::keyClick(label, Qt::Key_Tab);
    EXPECT_EQ(label->focusedLink(), 1);
    QTest::keyClick(label, Qt::Key_Tab);
    EXPECT_TRUE(defaultButton->hasFocus());
    QTest::keyClick(defaultButton, Qt::Key_Backtab);
    EXPECT_EQ(label->focusedLink(), 1);
    qlan::test::saveScreenshot(&window, QStringLiteral("markdown-link-focused"));
    QTest::keyClick(label, Qt::Key_Space);
    QTest::keyClick(label, Qt::Key_Return);
    text->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(recorder->openedURLs, (QList<QUrl>{one, two, one}));
    EXPECT_EQ(defaultClicks.count(), 1);
}

TEST(LinkLabel, OpensItsDestinationOnClickSpaceAndThePressActionAlike) {
    QWidget window;
    auto outer = std::make_shared<RecordingDesktopActions>();
    auto inner = std::make_shared<RecordingDesktopActions>();
    DesktopActions::install(&window, outer);
    auto* layout = new QVBoxLayout(&window);
    auto* box = new QWidget;
    DesktopActions::install(box, inner);
    auto* boxLayout = new QVBoxLayout(box);
    auto* link = new LinkLabel(QStringLiteral("Privacy"), QUrl(QStringLiteral("https://guide.example/p")));
    boxLayout->addWidget(link);
    auto* outerLink = new LinkLabel(QStringLiteral("Other"), QUrl(QStringLiteral("https://guide.example/o")));
    layout->addWidget(box);
    layout->addWidget(outerLink);
    // Return stays with the window's default button, also while the link has the focus.
    auto* defaultButton = new ProminentButton(QStringLiteral("Continue"));
    defaultButton->bindToReturn();
    layout->addWidget(defaultButton);
    showActive(&window);
    QSignalSpy activated(link, &LinkLabel::activated);
    QSignalSpy defaultClicks(defaultButton, &QPushButton::clicked);

    QTest::mouseClick(link, Qt::LeftButton);
    // A press on the link released elsewhere is no click.
    QTest::mousePress(link, Qt::LeftButton);
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 20, link->height() + 20));
    outerLink->setFocus();
    QTest::keyClick(outerLink, Qt::Key_Backtab);
    ASSERT_TRUE(link->hasFocus());
    qlan::test::saveScreenshot(&window, QStringLiteral("link-focused"));
    QTest::keyClick(link, Qt::Key_Space);
    QTest::keyClick(link, Qt::Key_Return);
    QTest::keyClick(link, Qt::Key_A);
    // A screen reader hears a link named by its text, and its press action follows it.
    QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(link);
    ASSERT_NE(announced, nullptr);
    EXPECT_EQ(announced->role(), QAccessible::Link);
    EXPECT_EQ(announced->text(QAccessible::Name), QStringLiteral("Privacy"));
    EXPECT_EQ(announced->childCount(), 0);
    ASSERT_NE(announced->actionInterface(), nullptr);
    announced->actionInterface()->doAction(QAccessibleActionInterface::pressAction());

    EXPECT_EQ(activated.count(), 3);
    EXPECT_EQ(inner->openedURLs, QList<QUrl>(3, QUrl(QStringLiteral("https://guide.example/p"))));
    EXPECT_EQ(defaultClicks.count(), 1);
    QTest::mouseClick(outerLink, Qt::LeftButton);
    EXPECT_EQ(outer->openedURLs, QList<QUrl>{QUrl(QStringLiteral("https://guide.example/o"))});
    EXPECT_TRUE(link->hasFocus()); // as on the Mac, a click on a link does not take the focus

    // Without a usable destination nothing is opened.
    link->setDestination(QUrl());
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(inner->openedURLs.size(), 3);
    EXPECT_EQ(activated.count(), 3);
}

TEST(RadioRow, ReadsAsARadioButtonWithItsDescriptionAndItsOwnersChoice) {
    RadioRow row(QStringLiteral("Java 21"), QStringLiteral("Previous LTS"));
    QSignalSpy clicks(&row, &QAbstractButton::clicked);
    QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(&row);
    ASSERT_NE(announced, nullptr);
    EXPECT_EQ(announced->role(), QAccessible::RadioButton);
    EXPECT_EQ(announced->text(QAccessible::Name), QStringLiteral("Java 21"));
    EXPECT_EQ(announced->text(QAccessible::Description), QStringLiteral("Previous LTS"));
    EXPECT_EQ(announced->childCount(), 0);
    EXPECT_FALSE(announced->state().checked);
    row.setSelected(true);
    EXPECT_TRUE(announced->state().checked);
    // The press action is a click: the owner decides.
    announced->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 1);

    // The whole row takes a click under the pointing hand: its texts and the empty width beside them.
    row.resize(600, row.sizeHint().height());
    row.layout()->activate();
    EXPECT_EQ(row.cursor().shape(), Qt::PointingHandCursor);
    for (const QPoint at :
         {row.titleLabel()->geometry().topLeft() + QPoint(4, 4), QPoint(596, row.height() / 2)}) {
        EXPECT_EQ(row.childAt(at), nullptr); // nothing over the row takes the pointer from it
        QTest::mouseClick(&row, Qt::LeftButton, {}, at);
    }
    EXPECT_EQ(clicks.count(), 3);
}

TEST(RadioGroup, ForgetsAChoiceDeletedWhileItLivesAndStaysOneStopOfTab) {
    // Rows under one another, each chosen by a click.
    const auto choicesOf = [](RadioGroup* group, QVBoxLayout* column,
                              std::initializer_list<const char*> titles) {
        QList<RadioRow*> rows;
        for (const char* title : titles) {
            rows << new RadioRow(QString::fromLatin1(title), QString());
            column->addWidget(rows.last());
            group->addChoice(rows.last());
            QObject::connect(rows.last(), &QAbstractButton::clicked, rows.last(),
                             [row = rows.last()] { row->setSelected(true); });
        }
        return rows;
    };
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    auto* group = new RadioGroup(&window, QStringLiteral("Which one?"));
    QList<RadioRow*> rows = choicesOf(group, column, {"One", "Two", "Three"});
    auto* after = new QPushButton(QStringLiteral("After"));
    column->addWidget(after);
    rows[1]->setSelected(true);
    showActive(&window);

    // The chosen choice goes while it holds the focus, then one that does not.
    rows[1]->setFocus(Qt::TabFocusReason);
    delete rows.takeAt(1);
    EXPECT_EQ(group->tabStop(), rows[0]);
    rows[0]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(rows[0], Qt::Key_Down);
    EXPECT_TRUE(rows[1]->hasFocus() && rows[1]->isChecked());
    delete rows.takeAt(0);
    QTest::keyClick(rows[0], Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    QTest::keyClick(after, Qt::Key_Backtab);
    EXPECT_EQ(window.focusWidget(), rows[0]);

    // A screen that orders its chain puts the group's stop after a control made later (a text that a press
    // can focus stands before them): another choice chosen takes the stop's place there.
    QWidget screen;
    auto* lines = new QVBoxLayout(&screen);
    auto* text = new TextLabel(QStringLiteral("Choose one"));
    text->setSelectable(true);
    lines->addWidget(text);
    auto* choices = new RadioGroup(&screen, text->text());
    const QList<RadioRow*> ordered = choicesOf(choices, lines, {"Red", "Green", "Blue"});
    auto* below = new QPushButton(QStringLiteral("Below"));
    lines->addWidget(below);
    auto* above = new QPushButton(QStringLiteral("Above")); // made last
    lines->insertWidget(1, above);
    QWidget::setTabOrder(above, ordered.first());
    QWidget::setTabOrder(ordered.first(), below);
    showActive(&screen);
    test::clickAsAPerson(ordered.last());
    ASSERT_EQ(choices->tabStop(), ordered.last());
    above->setFocus(Qt::TabFocusReason);
    QTest::keyClick(above, Qt::Key_Tab);
    EXPECT_EQ(screen.focusWidget(), ordered.last());
}

TEST(SegmentedControl, PlacesAndPaintsTheSegmentsThatAreLeft) {
    SegmentedControl modes({QStringLiteral("Left"), QStringLiteral("Middle"), QStringLiteral("Right")});
    modes.setSelectedIndex(2);
    delete modes.segment(0);
    modes.resize(300, modes.sizeHint().height());
    modes.grab();
    ASSERT_EQ(modes.count(), 2);
    EXPECT_EQ(modes.segment(0)->text(), QStringLiteral("Middle"));
    EXPECT_EQ(modes.segment(0)->geometry(), QRect(0, 0, 150, modes.height()));
    EXPECT_EQ(modes.segment(1)->geometry(), QRect(150, 0, 150, modes.height()));
    EXPECT_EQ(modes.selectedIndex(), 1);
    QSignalSpy chosen(&modes, &SegmentedControl::chosen);
    QTest::mouseClick(modes.segment(0), Qt::LeftButton);
    EXPECT_EQ(chosen.value(0).value(0).toInt(), 0);
}

TEST(SegmentedControl, ChoosesExactlyOneSegmentAfterEveryClickKeyAndCall) {
    QWidget window;
    auto* modes = new SegmentedControl({QStringLiteral("Left"), QStringLiteral("Right")});
    (new QVBoxLayout(&window))->addWidget(modes);
    showActive(&window);
    QSignalSpy chosen(modes, &SegmentedControl::chosen);
    // The segments chosen, each as shown and as a screen reader hears it.
    const auto chosenSegments = [modes] {
        QList<int> on;
        for (int index = 0; index < modes->count(); ++index)
            if (modes->segment(index)->isChecked() &&
                QAccessible::queryAccessibleInterface(modes->segment(index))->state().checked)
                on << index;
        return on;
    };
    modes->setSelectedIndex(1);
    EXPECT_EQ(chosenSegments(), QList<int>{1});
    QTest::mouseClick(modes->segment(0), Qt::LeftButton); // back on the first
    EXPECT_EQ(chosenSegments(), QList<int>{0});
    QTest::mouseClick(modes->segment(0), Qt::LeftButton); // the chosen one stays chosen
    EXPECT_EQ(chosenSegments(), QList<int>{0});
    modes->segment(0)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(modes->segment(0), Qt::Key_Right);
    EXPECT_EQ(chosenSegments(), QList<int>{1});
    QTest::keyClick(modes->segment(1), Qt::Key_Left);
    EXPECT_EQ(chosenSegments(), QList<int>{0});
    EXPECT_EQ(chosen.size(), 3);
    EXPECT_EQ(chosen.last().value(0).toInt(), 0);
    // With the focus in the control, a click takes it to the clicked segment: Left goes on from there.
    QTest::mouseClick(modes->segment(1), Qt::LeftButton);
    EXPECT_TRUE(modes->segment(1)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(chosenSegments(), QList<int>{0});
    EXPECT_TRUE(modes->segment(0)->hasFocus());
}

TEST(KeyboardFocus, AClickLeavesItWhereItWasAndAButtonThatGoesHandsItToTheNewDefault) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QPlainTextEdit;
    field->setTabChangesFocus(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    auto* proceed = new ProminentButton(QStringLiteral("Continue"));
    proceed->bindToReturn();
    proceed->hide();
    for (QWidget* each :
         {static_cast<QWidget*>(field), static_cast<QWidget*>(cancel), static_cast<QWidget*>(proceed)})
        layout->addWidget(each);
    showActive(&window);
    field->setFocus(Qt::TabFocusReason);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(field->hasFocus());

    // The focused button goes (a job ended): the focus goes to the default that comes instead.
    cancel->setFocus(Qt::TabFocusReason);
    cancel->hide();
    proceed->show();
    EXPECT_TRUE(test::waitUntil([&] { return proceed->hasFocus(); }));
    // Unless the person has moved on before it came.
    cancel->show();
    proceed->hide();
    cancel->setFocus(Qt::TabFocusReason);
    cancel->setEnabled(false);
    QCoreApplication::processEvents();
    QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
    QWidget* moved = window.focusWidget();
    proceed->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.focusWidget(), moved);

    // Tab shows the ring also where the only stop of a window already holds the focus.
    forgetKeyboardUse();
    QWidget lone;
    auto* only = new QPushButton(QStringLiteral("Cancel"), &lone);
    showActive(&lone);
    only->setFocus(Qt::OtherFocusReason);
    const auto ringShown = [&lone] {
        auto* layer = lone.findChild<QWidget*>(QStringLiteral("focus-ring"));
        return layer && layer->isVisible();
    };
    EXPECT_FALSE(ringShown());
    QTest::keyClick(only, Qt::Key_Tab);
    EXPECT_TRUE(only->hasFocus());
    EXPECT_TRUE(ringShown());
}

// Space on a button that waits for its work before its sheet opens, then Esc on the sheet over a screen
// built anew: the focus goes to the button that opens the same sheet under another title, before one nearer
// that looks like the old button.
TEST(KeyboardFocus, AClosedSheetHandsTheFocusToWhatOpensItAgainBeforeALookAlike) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    QPointer<QPushButton> opener = new QPushButton(QStringLiteral("Fix"));
    setFocusAction(opener, "fix");
    layout->addWidget(opener);
    auto* sheet = new QDialog(&window);
    QObject::connect(opener, &QPushButton::clicked, [&] {
        opener->setEnabled(false);
        QTimer::singleShot(50, sheet, [sheet] { openSheet(sheet); });
    });
    showActive(&window);
    auto* again = new QPushButton(QStringLiteral("Fix again"), &window);
    setFocusAction(again, "fix");
    const auto shown = test::focusAfterSheet(
        &window, opener,
        [&] {
            ASSERT_TRUE(test::waitUntil([sheet] { return sheet->isVisible(); }));
            delete opener;
            layout->addWidget(new QPushButton(QStringLiteral("Fix")));
            layout->addWidget(again);
            QTest::keyClick(sheet, Qt::Key_Escape);
        },
        test::SheetEnd::activateInsideHide);
    EXPECT_EQ(shown.focus, again);
}

// A sheet opened by a click while a text the person pressed held the focus gives it back to no control, in
// either order of its end: the window holds it, told once, and Tab goes to the first control.
TEST(KeyboardFocus, ASheetOpenedWhileATextHeldTheFocusLeavesItWithTheWindow) {
    for (const test::SheetEnd order : test::bothSheetEnds) {
        QWidget window;
        window.setWindowTitle(QStringLiteral("Screen"));
        auto* layout = new QVBoxLayout(&window);
        auto* text = new TextLabel(QStringLiteral("What the fix does"));
        text->setSelectable(true);
        auto* opener = new QPushButton(QStringLiteral("Fix"));
        auto* other = new QPushButton(QStringLiteral("Later"));
        for (QWidget* widget : std::initializer_list<QWidget*>{opener, other})
            widget->setFocusPolicy(Qt::TabFocus);
        layout->addWidget(text);
        layout->addWidget(opener);
        layout->addWidget(other);
        auto* sheet = new QDialog(&window);
        QObject::connect(opener, &QPushButton::clicked, sheet, [sheet] { openSheet(sheet); });
        showActive(&window);
        const auto shown = test::focusAfterSheet(
            &window, opener,
            [&] {
                ASSERT_TRUE(test::waitUntil([sheet] { return sheet->isVisible(); }));
                QTest::keyClick(sheet, Qt::Key_Escape);
            },
            order, text);
        EXPECT_EQ(shown.focus, &window);
        EXPECT_EQ(shown.told, (QList<test::Told>{{&window, QStringLiteral("Screen")}}));
        QTest::keyClick(&window, Qt::Key_Tab);
        EXPECT_EQ(window.focusWidget(), opener);
    }
}

// A screen that starts the focus over leaves it with the window, told once, and a trip to the back keeps it
// there (Qt would give it to the first text control); Tab then goes to the first control. A wait for the
// focus ends with its window: a control that goes in another window later hands it to no neighbour.
TEST(KeyboardFocus, StartingOverLeavesTheFocusWithTheWindowAndAWaitEndsWithItsWindow) {
    QWidget window;
    window.setWindowTitle(QStringLiteral("Screen"));
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit;
    auto* screen = new QPushButton(QStringLiteral("Check"));
    layout->addWidget(field);
    layout->addWidget(screen);
    showActive(&window);
    screen->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(test::heardWhile([&] {
                  startFocusOver(screen);
                  startFocusOver(screen);
              }).focus,
              (QList<test::Told>{{&window, QStringLiteral("Screen")}}));
    const test::BackInFront back = test::focusBackInFront(&window, screen, [&] { startFocusOver(screen); });
    EXPECT_EQ(back.focus, &window);
    QTest::keyClick(&window, Qt::Key_Tab);
    EXPECT_TRUE(field->hasFocus());

    for (int round = 0; round < 3; ++round) {
        auto gone = std::make_unique<QWidget>();
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), gone.get());
        showActive(gone.get());
        cancel->setFocus(Qt::TabFocusReason);
        cancel->hide(); // no button comes instead: the focus waits
        QCoreApplication::processEvents();
        gone.reset();
        QWidget next;
        auto* row = new QHBoxLayout(&next);
        auto* goes = new QPushButton(QStringLiteral("Stop"));
        row->addWidget(goes);
        row->addWidget(new QPushButton(QStringLiteral("Stays")));
        showActive(&next);
        goes->setFocus(Qt::TabFocusReason);
        goes->hide();
        QCoreApplication::processEvents();
        EXPECT_EQ(next.focusWidget(), &next);
    }
}

// A screen whose focused button is taken away for one with a default button and a button where the old one
// stood, as the flows replace their pages (the new one shown at once, or on the layout's next pass): the
// window holds the focus, told once, and neither button takes it; the next Tab goes to the first control.
TEST(KeyboardFocus, AScreenTakenAwayLeavesTheFocusWithTheWindowWhateverComesInItsPlace) {
    struct Screen {
        QWidget* page = new QWidget;
        TextLabel* line;
        QPushButton* left;
        ProminentButton* right;
    };
    const auto screen = [](const QString& first, const QString& second) {
        Screen made{.line = new TextLabel(QStringLiteral("A line of the screen")),
                    .left = new QPushButton(first),
                    .right = new ProminentButton(second)};
        made.line->setSelectable(true);
        auto* column = new QVBoxLayout(made.page);
        column->addWidget(made.line);
        auto* row = new QHBoxLayout;
        column->addLayout(row);
        row->addWidget(made.left);
        row->addWidget(made.right);
        return made;
    };
    // The focus on a control, or on a text the person pressed.
    for (const std::pair<bool, bool>& each : {std::pair{false, false}, {true, false}, {false, true}}) {
        const bool shownAtOnce = each.first;
        const bool onText = each.second;
        QWidget window;
        window.setWindowTitle(QStringLiteral("Screen"));
        auto* layout = new QVBoxLayout(&window);
        const Screen old = screen(QStringLiteral("Back up"), QStringLiteral("Check"));
        layout->addWidget(old.page);
        showActive(&window);
        if (onText)
            test::dragOver(old.line, QPoint(2, old.line->height() / 2),
                           QPoint(old.line->width() / 2, old.line->height() / 2));
        else
            old.right->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(window.focusWidget(), onText ? static_cast<QWidget*>(old.line) : old.right);
        const Screen next = screen(QStringLiteral("Open"), QStringLiteral("Continue"));
        next.right->bindToReturn();
        const test::Heard heard = test::heardWhile([&] {
            layout->addWidget(next.page);
            if (shownAtOnce) next.page->show();
            retireScreen(layout, old.page);
            ASSERT_TRUE(test::waitUntil([&] { return next.right->isVisible(); }));
            ASSERT_TRUE(test::waitForQueuedCalls());
        });
        EXPECT_EQ(heard.focus, (QList<test::Told>{{&window, QStringLiteral("Screen")}})) << shownAtOnce;
        EXPECT_EQ(window.focusWidget(), &window) << shownAtOnce;
        QTest::keyClick(&window, Qt::Key_Tab);
        EXPECT_EQ(window.focusWidget(), next.left) << shownAtOnce;
    }
}

namespace {

// How a job's result comes back to the GUI thread: as a queued call, or through a worker as the jobs hand
// theirs back. Either way it waits in the queue when this returns.
enum class HandBack { queuedCall, worker };
void handBack(HandBack how, QObject* context, std::function<void()> result) {
    if (how == HandBack::queuedCall) {
        QMetaObject::invokeMethod(context, std::move(result), Qt::QueuedConnection);
        return;
    }
    auto job = std::make_shared<int>();
    const std::weak_ptr<int> working = job;
    runOffThread(
        context, [job = std::move(job)] { return 0; }, [result = std::move(result)](int) { result(); });
    // The worker lets go of its job, and of `job` with it, only once it has posted the result.
    while (!working.expired())
        QThread::yieldCurrentThread();
}

} // namespace

// The window is told in one turn (as it comes to the front) while a job's result that takes its screen away
// is already queued: the screen that comes in the result's own turn is told too, under the same title.
TEST(KeyboardFocus, AScreenThatComesInALaterTurnIsToldUnderTheSameTitle) {
    for (const HandBack how : {HandBack::queuedCall, HandBack::worker}) {
        QWidget window;
        window.setWindowTitle(QStringLiteral("Java"));
        auto* layout = new QVBoxLayout(&window);
        auto* waiting = new QLabel(QStringLiteral("Verifying…"));
        layout->addWidget(waiting);
        showActive(&window);
        window.setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(test::waitForQueuedCalls());
        auto* result = new QPushButton(QStringLiteral("Continue"));
        const test::Heard heard = test::heardWhile([&] {
            handBack(how, &window, [&] {
                retireScreen(layout, waiting);
                placeScreen(layout, result);
            });
            startFocusOver(&window);
            ASSERT_TRUE(test::waitUntil([&] { return result->isVisible(); }));
            ASSERT_TRUE(test::waitForQueuedCalls());
        });
        EXPECT_TRUE(result->isVisible());
        EXPECT_EQ(heard.focus,
                  (QList<test::Told>{{&window, QStringLiteral("Java")}, {&window, QStringLiteral("Java")}}))
            << int(how);
    }
}

// A sheet ends over a screen that waits with no control ("Verifying…"), while a job's result that replaces
// it already waits in the queue, in Linux's order of the sheet's end and in a Mac's (the window told inside
// the hide): the result's screen is told once, as the window under the same title, and nothing else is.
TEST(KeyboardFocus, AJobsResultQueuedAsASheetEndsIsToldAsAScreenOfItsOwn) {
    for (const test::SheetEnd order : test::bothSheetEnds)
        for (const HandBack how : {HandBack::queuedCall, HandBack::worker}) {
            SCOPED_TRACE(
                std::string(order == test::SheetEnd::activateInsideHide ? "Mac order" : "Linux order") +
                (how == HandBack::worker ? ", from a worker" : ", a queued call"));
            QWidget window;
            window.setWindowTitle(QStringLiteral("Java"));
            auto* layout = new QVBoxLayout(&window);
            auto* start = new QWidget;
            auto* opener = new QPushButton(QStringLiteral("Set JAVA_HOME"), start);
            new QVBoxLayout(start);
            start->layout()->addWidget(opener);
            layout->addWidget(start);
            QPointer<QDialog> sheet;
            QObject::connect(opener, &QPushButton::clicked, &window, [&] {
                sheet = new QDialog(&window);
                sheet->setAttribute(Qt::WA_DeleteOnClose);
                openSheet(sheet);
            });
            showActive(&window);
            auto* waiting = new QLabel(QStringLiteral("Verifying…"));
            auto* result = new QPushButton(QStringLiteral("Continue"));
            qsizetype toldBeforeResult = -1;
            const test::AfterSheet after = test::focusAfterSheet(
                &window, opener,
                [&] {
                    ASSERT_TRUE(sheet);
                    retireScreen(layout, start);
                    placeScreen(layout, waiting);
                    ASSERT_TRUE(test::waitForQueuedCalls()); // only the result waits as the sheet ends
                    handBack(how, &window, [&] {
                        toldBeforeResult = test::heardSoFar().focus.size();
                        retireScreen(layout, waiting);
                        placeScreen(layout, result);
                    });
                    sheet->close();
                },
                order);
            ASSERT_TRUE(test::waitUntil([&] { return result->isVisible(); }));
            ASSERT_TRUE(test::waitForQueuedCalls());
            EXPECT_EQ(after.focus, &window);
            ASSERT_GE(toldBeforeResult, 0);
            // What is heard from the result on: the window, once.
            EXPECT_EQ(test::heardSoFar().focus.mid(toldBeforeResult),
                      (QList<test::Told>{{&window, QStringLiteral("Java")}}));
        }
}

TEST(KeyboardFocus, TheRingWaitsForTheKeyboardButShowsOnATextFieldRoundItsFrame) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* modes = new SegmentedControl({QStringLiteral("Left"), QStringLiteral("Right")});
    auto* field = new QPlainTextEdit;
    auto* frame = new FramedBox(field, 4);
    layout->addWidget(modes);
    layout->addWidget(frame);
    showActive(&window);
    const auto ring = [&window]() -> std::optional<QRect> {
        auto* layer = window.findChild<QWidget*>(QStringLiteral("focus-ring"));
        return layer && layer->isVisible() ? std::optional(layer->geometry()) : std::nullopt;
    };
    const auto around = [&window](QWidget* widget) {
        const int extent = focusRingExtent;
        return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size()) +
               QMargins(extent, extent, extent, extent);
    };

    modes->segment(0)->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(ring(), std::nullopt);
    field->setFocus(Qt::MouseFocusReason); // where the typing goes shows, round the field's frame
    EXPECT_EQ(ring(), around(frame));
    modes->segment(0)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(modes->segment(0), Qt::Key_Right); // a key moves the focus: from now on the ring shows
    EXPECT_EQ(ring(), around(modes->segment(1)));
    forgetKeyboardUse();
    EXPECT_EQ(ring(), std::nullopt);
}

TEST(KeyboardWalk, FindsATrapAControlOutOfReadingOrderAWrongRoleAndAListThatDoesNotScrollByKeyboard) {
    QWidget window;
    window.resize(300, 400);
    auto* layout = new QVBoxLayout(&window);
    // Made in the window in another order than they are shown, so that Tab takes them so.
    auto* lower = new QPushButton(QStringLiteral("Lower"), &window);
    auto* upper = new QPushButton(QStringLiteral("Upper"), &window);
    auto* fakeLink = new QLabel(QStringLiteral("<a href=\"https://guide.example\">Guide</a>"), &window);
    fakeLink->setTextInteractionFlags(Qt::LinksAccessibleByKeyboard | Qt::LinksAccessibleByMouse);
    auto* links = new MarkdownLabel(
        QStringLiteral("See [one](https://guide.example/1) or [two](https://guide.example/2)."),
        TextRole::body, FontWeight::regular, &window);
    auto* reason = new QPlainTextEdit(&window); // takes a Tab as text unless told otherwise
    reason->setAccessibleName(QStringLiteral("Reason"));
    auto* list = new QListWidget(&window); // its keys move a current row; it never scrolls sideways by them
    list->setAccessibleName(QStringLiteral("Output"));
    list->addItem(QString(400, QLatin1Char('x')));
    layout->addWidget(upper);
    layout->addWidget(lower);
    layout->addWidget(fakeLink);
    layout->addWidget(links);
    layout->addWidget(reason);
    layout->addWidget(list);
    showActive(&window);

    const std::string faults = qlan::test::walksByKeyboard(&window).message();
    EXPECT_THAT(faults, testing::HasSubstr("to QPushButton  \"Upper\", which reads before it"));
    EXPECT_THAT(faults,
                testing::HasSubstr("QLabel  \"Guide\": its link \"Guide\" is not announced as a link"));
    EXPECT_THAT(faults, testing::HasSubstr("QLabel  \"Guide\": Tab stops on it, but no link in it shows"));
    EXPECT_THAT(faults, testing::HasSubstr("QPlainTextEdit  \"Reason\": Tab stays in the text field"));
    reason->setTabChangesFocus(true);
    window.setTabOrder(upper, lower);
    delete fakeLink;
    const std::string listFaults = qlan::test::walksByKeyboard(&window).message();
    EXPECT_THAT(listFaults,
                testing::HasSubstr("QListWidget  \"Output\": Left and Right do not scroll it sideways"));
    EXPECT_THAT(listFaults,
                testing::HasSubstr("\"Output\": its row 0 is no plain list item without an action"));
    delete list;
    EXPECT_TRUE(qlan::test::walksByKeyboard(&window));
    EXPECT_TRUE(reason->toPlainText().isEmpty()); // the walk leaves the text as it found it
}

TEST(DesktopActions, FallsBackToTheLiveDesktopWhenNoneIsInstalled) {
    QWidget orphan;
    EXPECT_EQ(DesktopActions::of(&orphan), DesktopActions::live());
    auto recorder = std::make_shared<RecordingDesktopActions>();
    DesktopActions::install(&orphan, recorder);
    auto replacement = std::make_shared<RecordingDesktopActions>();
    DesktopActions::install(&orphan, replacement); // installing again replaces, never stacks
    EXPECT_EQ(DesktopActions::of(&orphan), replacement);
}

TEST(ProminentButton, ReturnPressesTheBoundButtonOfTheVisiblePageOnly) {
    QWidget window;
    setAccessibilityIdentifier(&window, QStringLiteral("window"));
    auto* layout = new QVBoxLayout(&window);
    auto* pages = new QStackedWidget;
    layout->addWidget(pages);
    auto* first = new ProminentButton(QStringLiteral("First"));
    auto* second = new ProminentButton(QStringLiteral("Second"));
    auto* unbound = new ProminentButton(QStringLiteral("Unbound"));
    first->bindToReturn();
    second->bindToReturn();
    pages->addWidget(first);
    pages->addWidget(second);
    layout->addWidget(unbound);
    showActive(&window);
    QSignalSpy firstClicks(first, &QPushButton::clicked);
    QSignalSpy secondClicks(second, &QPushButton::clicked);
    QSignalSpy unboundClicks(unbound, &QPushButton::clicked);

    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(firstClicks.count(), 1);
    EXPECT_EQ(secondClicks.count(), 0);

    pages->setCurrentWidget(second);
    QTest::keyClick(&window, Qt::Key_Enter);
    EXPECT_EQ(firstClicks.count(), 1);
    EXPECT_EQ(secondClicks.count(), 1);

    second->setEnabled(false);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(secondClicks.count(), 1);
    EXPECT_EQ(unboundClicks.count(), 0);
    EXPECT_EQ(window.objectName(), QStringLiteral("window"));
    EXPECT_EQ(window.accessibleName(), QString()); // the identifier is never read out
}

TEST(RenderedPixels, FindAFocusMarkOverItsTitleAndATextTooFaintToRead) {
    // A button that marks its focus with a bar across its own title, as no control of ours may.
    class BarredButton : public QPushButton {
    public:
        using QPushButton::QPushButton;

    protected:
        void paintEvent(QPaintEvent* event) override {
            QPushButton::paintEvent(event);
            if (hasFocus()) QPainter(this).fillRect(0, height() / 2 - 1, width(), 3, Qt::blue);
        }
    };
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* barred = new BarredButton(QStringLiteral("Barred"));
    QPushButton* skip = borderlessButton(QStringLiteral("Skip"));
    auto* faint = new QLabel(QStringLiteral("Faint"));
    QPalette grey = faint->palette();
    grey.setColor(QPalette::WindowText, QColor("#9a9a9a"));
    faint->setPalette(grey);
    for (QWidget* widget :
         {static_cast<QWidget*>(barred), static_cast<QWidget*>(skip), static_cast<QWidget*>(faint),
          static_cast<QWidget*>(secondaryText(QStringLiteral("Secondary"), TextRole::caption))})
        layout->addWidget(widget);
    showActive(&window);

    // Reached by the keyboard, as the ring waits for it.
    skip->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(skip, Qt::Key_Backtab);
    ASSERT_TRUE(barred->hasFocus());
    EXPECT_THAT(qlan::test::focusRingStandsOutside(barred).message(), testing::HasSubstr("covers"));
    QTest::keyClick(barred, Qt::Key_Tab);
    EXPECT_TRUE(qlan::test::focusRingStandsOutside(skip));
    const std::string texts = qlan::test::textsReadInBothAppearances(&window).message();
    EXPECT_THAT(texts, testing::HasSubstr("light: QLabel  \"Faint\""));
    EXPECT_THAT(texts, testing::Not(testing::HasSubstr("Secondary")));
}

TEST(ControlStyle, APushButtonKeepsTheMacsSidePaddingAroundItsTitle) {
    for (const ControlSize size : {ControlSize::regular, ControlSize::large}) {
        QPushButton* button = borderedButton(QStringLiteral("Continue to system audit"), size);
        button->resize(button->sizeHint());
        const QImage shown = button->grab().toImage();
        // The title's ends: the outermost dark pixels along the middle, inside the bezel's outline.
        int first = shown.width();
        int last = -1;
        for (int x = 2; x < shown.width() - 2; ++x)
            if (shown.pixelColor(x, shown.height() / 2).lightness() < 100 ||
                shown.pixelColor(x, shown.height() / 2 + 2).lightness() < 100) {
                first = std::min(first, x);
                last = x;
            }
        EXPECT_GE(first - 1, controlSidePadding(size)) << controlSizeName(size);
        EXPECT_GE(shown.width() - 2 - last, controlSidePadding(size)) << controlSizeName(size);
        delete button;
    }
}

TEST(ActivityIndicator, TurnsOnlyWhileShownAndIsABusyIndicatorToAScreenReader) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* page = new QWidget;
    auto* small = new ActivityIndicator(ControlSize::small, page);
    layout->addWidget(page);
    EXPECT_EQ(small->sizeHint(), QSize(16, 16));
    EXPECT_EQ(ActivityIndicator(ControlSize::regular).sizeHint(), QSize(32, 32));
    EXPECT_FALSE(small->isAnimating()); // never shown yet: no timer

    showActive(&window);
    ASSERT_TRUE(small->isAnimating());
    const QImage first = small->grab().toImage();
    ASSERT_TRUE(test::waitUntil([&] { return small->grab().toImage() != first; })) << "it never turned";

    page->hide(); // hidden with what holds it
    EXPECT_FALSE(small->isAnimating());
    page->show();
    EXPECT_TRUE(small->isAnimating());

    QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(small);
    ASSERT_NE(announced, nullptr);
    EXPECT_EQ(announced->role(), QAccessible::ProgressBar);
    EXPECT_TRUE(announced->state().busy);
    EXPECT_FALSE(announced->text(QAccessible::Name).isEmpty());
}

TEST(ScreenCapture, WritesAPngOnlyWhenAFolderIsNamed) {
    QWidget widget;
    widget.resize(120, 80);
    const QByteArray previous = qgetenv("QLAN_SCREENSHOT_DIR");
    qunsetenv("QLAN_SCREENSHOT_DIR");
    EXPECT_TRUE(qlan::test::saveScreenshot(&widget, QStringLiteral("none")).isEmpty());

    QTemporaryDir dir;
    qputenv("QLAN_SCREENSHOT_DIR", (dir.path() + QStringLiteral("/shots")).toUtf8());
    const QString path = qlan::test::saveScreenshot(&widget, QStringLiteral("blank"));
    if (previous.isNull())
        qunsetenv("QLAN_SCREENSHOT_DIR");
    else
        qputenv("QLAN_SCREENSHOT_DIR", previous);

    ASSERT_EQ(path, dir.path() + QStringLiteral("/shots/blank.png"));
    const QImage image(path);
    EXPECT_EQ(image.size(), widget.size() * widget.devicePixelRatio());
}
