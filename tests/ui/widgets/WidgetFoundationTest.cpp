// The shared widgets: type scale, labels, links, the Return-bound button and the desktop seam.

#include "support/RecordingDesktopActions.h"
#include "support/ScreenCapture.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/SelectableText.h"
#include "ui/widgets/TextLabel.h"
#include "ui/widgets/TypeScale.h"

#include <QFontMetrics>
#include <QImage>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
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
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

} // namespace

TEST(TypeScale, RolesKeepTheirOrderAndWeights) {
    const auto size = [](TextRole role) { return TypeScale::font(role).pointSizeF(); };
    EXPECT_GT(size(TextRole::largeTitle), size(TextRole::body));
    EXPECT_EQ(size(TextRole::headline), size(TextRole::body));
    EXPECT_GT(size(TextRole::body), size(TextRole::callout));
    EXPECT_GT(size(TextRole::callout), size(TextRole::footnote));

    EXPECT_EQ(TypeScale::font(TextRole::body).weight(), QFont::Normal);
    EXPECT_EQ(TypeScale::font(TextRole::headline).weight(), QFont::DemiBold);
    EXPECT_EQ(TypeScale::font(TextRole::largeTitle, FontWeight::semibold).weight(), QFont::DemiBold);

    TextLabel secondary(QStringLiteral("x"), TextRole::footnote);
    TypeScale::applySecondaryStyle(&secondary);
    TextLabel primary(QStringLiteral("x"), TextRole::footnote);
    EXPECT_EQ(secondary.property("textRole").toString(), QStringLiteral("footnote"));
    EXPECT_TRUE(secondary.property("secondary").toBool());
    EXPECT_LT(secondary.palette().color(QPalette::WindowText).alphaF(),
              primary.palette().color(QPalette::WindowText).alphaF());
}

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
    auto* layout = new QVBoxLayout(&window);
    auto* text = new TextLabel(QStringLiteral("Select these words"));
    auto* prose = new MarkdownLabel(QStringLiteral("Select these words too"));
    auto* markdown = new MarkdownLabel(QStringLiteral("Select **these** words"));
    auto* fixed = new TextLabel(QStringLiteral("Not these words"));
    for (QLabel* label : std::initializer_list<QLabel*>{text, prose, markdown, fixed}) {
        label->setWordWrap(false);
        layout->addWidget(label);
    }
    text->setSelectable(true);
    prose->setSelectable(true);
    markdown->setSelectable(true);
    showActive(&window);

    for (QLabel* label : std::initializer_list<QLabel*>{text, prose, markdown, fixed}) {
        const bool selectable = label != fixed;
        EXPECT_EQ(isSelectableByMouse(label), selectable) << label->text().toStdString();
        EXPECT_FALSE(label->textInteractionFlags() & Qt::TextSelectableByMouse); // nothing set up yet
        EXPECT_EQ(label->cursor().shape(), selectable ? Qt::IBeamCursor : Qt::ArrowCursor);
        const QPoint from(2, label->height() / 2);
        QTest::mousePress(label, Qt::LeftButton, {}, from);
        QTest::mouseMove(label, QPoint(label->width() - 2, label->height() / 2));
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() - 2, label->height() / 2));
        EXPECT_EQ(label->hasSelectedText(), selectable) << label->text().toStdString();
    }
    EXPECT_TRUE(text->selectedText().startsWith(QStringLiteral("Select these")));
}

TEST(MarkdownLabel, LinksOpenThroughTheNearestDesktop) {
    QWidget window;
    auto recorder = std::make_shared<RecordingDesktopActions>();
    DesktopActions::install(&window, recorder);
    auto* layout = new QVBoxLayout(&window);
    auto* label = new MarkdownLabel(QStringLiteral("[Read more](https://guide.example/articles/one)"));
    layout->addWidget(label);
    showActive(&window);

    const QFontMetrics metrics(label->font());
    QTest::mouseClick(label, Qt::LeftButton, {},
                      QPoint(metrics.horizontalAdvance(QStringLiteral("R")), label->height() / 2));
    ASSERT_EQ(recorder->openedURLs.size(), 1);
    EXPECT_EQ(recorder->openedURLs.first(), QUrl(QStringLiteral("https://guide.example/articles/one")));
}

TEST(LinkLabel, OpensItsDestinationOnClickAndSpaceOnly) {
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
    showActive(&window);
    QSignalSpy activated(link, &LinkLabel::activated);

    QTest::mouseClick(link, Qt::LeftButton);
    // A press on the link released elsewhere is no click.
    QTest::mousePress(link, Qt::LeftButton);
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 20, link->height() + 20));
    link->setFocus();
    QTest::keyClick(link, Qt::Key_Space);
    QTest::keyClick(link, Qt::Key_A);

    EXPECT_EQ(activated.count(), 2);
    EXPECT_EQ(inner->openedURLs, (QList<QUrl>{QUrl(QStringLiteral("https://guide.example/p")),
                                              QUrl(QStringLiteral("https://guide.example/p"))}));
    QTest::mouseClick(outerLink, Qt::LeftButton);
    EXPECT_EQ(outer->openedURLs, QList<QUrl>{QUrl(QStringLiteral("https://guide.example/o"))});

    // Without a usable destination nothing is opened.
    link->setDestination(QUrl());
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(inner->openedURLs.size(), 2);
    EXPECT_EQ(activated.count(), 2);
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
