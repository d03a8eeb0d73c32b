// The screens as a Mac user sees them: colours that follow the appearance, the prominent button, the
// window title, the back control and its shortcut, and the order of the keyboard focus.

#include "AppShellFixture.h"

#include "platform/LiveKeyValueStore.h"
#include "support/JavaMac.h"
#include "support/RenderedPixels.h"
#include "support/ScreenCapture.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/appshell/QuillaneBrewApp.h"
#include "ui/diagnose/VerifyScreens.h"
#include "ui/progress/FileEditWidgets.h"
#include "ui/progress/OutputLinesView.h"
#include "ui/scaffold/NavigationStackView.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/FramedBox.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/SheetDialog.h"
#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TypeScale.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace qlan;
using namespace qlan::test;

namespace {

const QPalette kLight = macAppearance(false);
const QPalette kDark = macAppearance(true);

// Puts the application palette back when the test ends.
class ScopedAppPalette {
public:
    ScopedAppPalette()
        : saved_(QApplication::palette()) {}
    ~ScopedAppPalette() { QApplication::setPalette(saved_); }

private:
    QPalette saved_;
};

// Every visible text's contrast against the window, links included: at least 4 to 1 (the Mac's own link
// colour on its window background has 4.45); for the prominent buttons, white on their fill.
void expectLegible(QWidget* window, const char* appearanceName) {
    const QColor background = window->palette().color(QPalette::Active, QPalette::Window);
    QList<std::pair<QString, QColor>> texts;
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty())
            texts.append({label->text(), label->palette().color(QPalette::Active, label->foregroundRole())});
    for (LinkLabel* link : window->findChildren<LinkLabel*>())
        if (link->isVisible())
            texts.append({link->text(), link->palette().color(QPalette::Active, QPalette::Link)});
    for (const auto& [text, ink] : texts)
        EXPECT_GE(TypeScale::contrastRatio(ink, background), 4.0)
            << appearanceName << ": " << text.toStdString() << " in " << ink.name().toStdString();
    EXPECT_GE(texts.size(), 3) << appearanceName;
    for (ProminentButton* button : window->findChildren<ProminentButton*>()) {
        if (!button->isVisible()) continue;
        const QColor fill = ProminentButton::fillColor(button->palette());
        EXPECT_GE(TypeScale::contrastRatio(Qt::white, fill), 4.5) << appearanceName;
        // Drawn as it says: the fill shows beside the title.
        const QImage shown = button->grab().toImage();
        const QColor drawn = shown.pixelColor(shown.width() / 2, shown.height() / 5);
        EXPECT_LE(std::abs(drawn.red() - fill.red()) + std::abs(drawn.green() - fill.green()) +
                      std::abs(drawn.blue() - fill.blue()),
                  6)
            << appearanceName << ": " << drawn.name().toStdString() << " vs " << fill.name().toStdString();
    }
}

// How far apart two colours are, channel by channel.
int distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

// `colour` drawn over `background`.
QColor over(const QColor& colour, const QColor& background) {
    const double alpha = colour.alphaF();
    return QColor::fromRgbF(float(colour.redF() * alpha + background.redF() * (1 - alpha)),
                            float(colour.greenF() * alpha + background.greenF() * (1 - alpha)),
                            float(colour.blueF() * alpha + background.blueF() * (1 - alpha)));
}

// The pixel in the middle of the widget's top edge, where its frame is drawn.
QColor topEdge(QWidget* widget) {
    const QImage shown = widget->grab().toImage();
    return shown.pixelColor(shown.width() / 2, 0);
}

} // namespace

class MacAppearanceTest : public AppShellTest {};

TEST_F(MacAppearanceTest, FramesAndTheWarningFollowTheAppearanceWhileASheetIsOpen) {
    ScopedAppPalette restore;
    QApplication::setPalette(kLight);
    QWidget window;
    window.resize(720, 700);
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    auto* output = new OutputLinesView(QStringLiteral("Installing Warp"));
    auto* diff = new DiffRowsView;
    for (QWidget* framed : {static_cast<QWidget*>(output), static_cast<QWidget*>(diff)})
        framed->setFocusPolicy(Qt::NoFocus); // the frames without the focus ring
    diff->setRows({{QStringLiteral("+ export JAVA_HOME=x"), true}});
    const QString legacyHome = jdkAt(QStringLiteral("1.8.0_392"), QStringLiteral("zulu-8.jdk")).path;
    TelemetryService quiet(TelemetryService::Configuration{});
    auto* verified = new VerifyResultView(
        Remediation::keepCurrentLegacyJava(legacyHome),
        JavaVerifier::Result{openjdkVersionOutput(QStringLiteral("1.8.0_392")), 0, legacyHome}, {}, QUrl(),
        quiet);
    layout->addWidget(output);
    layout->addWidget(diff);
    layout->addWidget(verified);
    showActive(&window);
    SheetDialog sheet(
        content, [] {}, &window);
    sheet.resize(720, 700);
    sheet.open();
    QWidget* warning = verified->findChild<QWidget*>(QStringLiteral("verify-legacy-warning"));
    ASSERT_NE(warning, nullptr);

    for (const QPalette& palette : {kLight, kDark}) {
        const char* name = &palette == &kLight ? "light" : "dark";
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
        // The frame as the shared text frame paints it for this appearance.
        QImage expected(output->size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(palette.color(QPalette::Window));
        QPainter painter(&expected);
        paintTextFrame(painter, QRectF(expected.rect()), palette);
        painter.end();
        const QColor frame = expected.pixelColor(expected.width() / 2, 0);
        EXPECT_LE(distance(topEdge(output), frame), 6) << name;
        EXPECT_LE(distance(topEdge(diff), frame), 6) << name;
        QColor yellow = systemColor(SystemColor::yellow, palette);
        yellow.setAlphaF(0.6f);
        EXPECT_LE(distance(topEdge(warning), over(yellow, palette.color(QPalette::Window))), 12) << name;
    }
    saveScreenshot(&sheet, QStringLiteral("sheet-frames-dark"));
}

TEST(ProminentButtonDisabled, KeepsItsShapeDimmedAndATitleThatReadsInBothAppearances) {
    for (const QPalette& palette : {kLight, kDark}) {
        ProminentButton button(QStringLiteral("Add selected"));
        button.setPalette(palette);
        button.setEnabled(false);
        button.resize(button.sizeHint());
        const QImage shown = button.grab().toImage();
        const QColor window = palette.color(QPalette::Window);
        // The shape: a fill that stands off the window, where the title does not reach.
        const QColor fill = shown.pixelColor(shown.width() / 2, shown.height() / 6);
        EXPECT_GE(TypeScale::contrastRatio(fill, window), 1.15) << window.name().toStdString();
        // The title: its strokes reach a contrast of 3 to 1 on the fill.
        double title = 1;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                title = std::max(title, TypeScale::contrastRatio(shown.pixelColor(x, y), fill));
        EXPECT_GE(title, 3.0) << window.name().toStdString();
    }
}

TEST_F(MacAppearanceTest, EveryTextStaysLegibleWhenTheAppearanceSwitchesWhileAScreenIsOpen) {
    ScopedAppPalette restore;
    QApplication::setPalette(kLight);
    auto telemetry = makeTelemetry(/*disabled=*/true);
    // The consent screen (first launch), then the welcome screen (a later launch).
    for (bool consented : {false, true}) {
        LiveKeyValueStore().set(consented, consentKey());
        QLANRootView root(sandbox_.services(), *telemetry);
        showActive(&root);
        expectLegible(&root, "light");
        QApplication::setPalette(kDark);
        QCoreApplication::processEvents();
        expectLegible(&root, "dark");
        saveScreenshot(&root, consented ? QStringLiteral("welcome-dark") : QStringLiteral("consent-dark"));
        QApplication::setPalette(kLight);
        QCoreApplication::processEvents();
        expectLegible(&root, "light again");
    }
}

TEST(ProminentButtonFill, IsTheSystemAccentDarkenedOnlyAsFarAsWhiteTextNeeds) {
    // Dark enough already: the accent itself.
    const QPalette deep = macAppearance(false, QColor("#0a50c0"));
    EXPECT_EQ(ProminentButton::fillColor(deep), systemAccentColor(deep));
    // Too light for white text: the same hue, darker, just legible.
    for (const QPalette& palette : {kLight, kDark}) {
        const QColor accent = systemAccentColor(palette);
        const QColor fill = ProminentButton::fillColor(palette);
        EXPECT_NEAR(fill.hueF(), accent.hueF(), 0.01);
        EXPECT_LT(fill.valueF(), accent.valueF());
        EXPECT_GE(TypeScale::contrastRatio(Qt::white, fill), 4.5);
        EXPECT_LT(TypeScale::contrastRatio(Qt::white, fill.lighter(110)), 4.5);
    }
}

TEST_F(MacAppearanceTest, TheWindowIsTitledAfterThePageOnTopAndBackLinesUpAndHasItsShortcut) {
    struct ScopedDisplayName {
        QString saved = QGuiApplication::applicationDisplayName();
        ~ScopedDisplayName() { QGuiApplication::setApplicationDisplayName(saved); }
    } restore;
    QGuiApplication::setApplicationDisplayName(QStringLiteral("The application"));
    LiveKeyValueStore().set(true, consentKey());
    const AppServices fixture = fixtureServices();
    auto telemetry = makeTelemetry(/*disabled=*/true);
    QLANRootView root(fixture, *telemetry);
    showActive(&root);
    // The window has no title of its own: the application's name, unless the page on top has one (the
    // guided setup's is its step's).
    EXPECT_EQ(root.windowTitle(), QStringLiteral("The application"));
    root.navigation()->push(Screen::setupWorkflow());
    const QWidget* setup = root.navigationStack()->currentPage();
    EXPECT_EQ(root.windowTitle(), setup->windowTitle());
    EXPECT_NE(root.windowTitle(), QStringLiteral("The application"));
    root.navigation()->push(Screen::diagnose());
    EXPECT_EQ(root.windowTitle(), QStringLiteral("The application"));
    auto* back = root.findChild<QToolButton*>(QStringLiteral("navigation-back"));
    ASSERT_TRUE(back && back->isVisible());
    QWidget* page = root.navigationStack()->currentPage();
    ASSERT_NE(page, nullptr);
    const auto* scaffold = page->findChild<ScreenScaffold*>();
    ASSERT_NE(scaffold, nullptr);
    const QLabel* title = scaffold->findChild<QLabel*>();
    EXPECT_EQ(back->mapTo(&root, QPoint(0, 0)).x(), TypeScale::contentMargin);
    EXPECT_EQ(title->mapTo(&root, QPoint(0, 0)).x(), TypeScale::contentMargin);

    // The platform's Back shortcut goes back one screen at a time, and does nothing at the root.
    const QKeySequence backKeys(QKeySequence::Back);
    ASSERT_FALSE(backKeys.isEmpty());
    QTest::keySequence(&root, backKeys);
    EXPECT_EQ(root.navigation()->path(), QList<Screen>{Screen::setupWorkflow()});
    EXPECT_EQ(root.windowTitle(), setup->windowTitle());
    QTest::keySequence(&root, backKeys);
    QTest::keySequence(&root, backKeys);
    EXPECT_TRUE(root.navigation()->path().isEmpty());
    EXPECT_EQ(root.windowTitle(), QStringLiteral("The application"));

    QuillaneBrewApp app;
    EXPECT_EQ(app.makeWindow()->windowTitle(), QStringLiteral("Quillane with Homebrew"));
}

TEST_F(MacAppearanceTest, FocusMovesTopToBottomAndSkipsAnExplanationWithoutLinks) {
    for (const bool withLink : {false, true}) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* content = new QWidget;
        auto* contentLayout = new QVBoxLayout(content);
        auto* first = new ProminentButton(QStringLiteral("First"));
        auto* second = new ProminentButton(QStringLiteral("Second"));
        contentLayout->addWidget(first);
        contentLayout->addWidget(second);
        const QString explainer = withLink ? QStringLiteral("See [the guide](https://guide.example/x).")
                                           : QStringLiteral("Nothing *to* follow here.");
        auto* scaffold = new ScreenScaffold(QStringLiteral("Title"), explainer, content);
        layout->addWidget(scaffold);
        // A control the screen adds to its content later still comes before the article link.
        auto* third = new ProminentButton(QStringLiteral("Third"));
        contentLayout->addWidget(third);
        window.resize(720, 700);
        showActive(&window);

        QList<QWidget*> expected{first, second, third, scaffold->articleLink()};
        if (withLink) expected.prepend(scaffold->explanation());
        EXPECT_EQ(bool(scaffold->explanation()->focusPolicy() & Qt::TabFocus), withLink);
        // The window's focus chain, as Tab walks it.
        QList<QWidget*> visited;
        for (QWidget* next = window.nextInFocusChain(); next != &window; next = next->nextInFocusChain())
            if ((next->focusPolicy() & Qt::TabFocus) && next->isVisible()) visited.append(next);
        EXPECT_EQ(visited, expected) << withLink;
    }
}

TEST(MarkdownLabelLinks, AreFoundInEveryFormMarkdownMakesThem) {
    const std::pair<const char*, bool> cases[] = {
        {"Plain *emphasis* and `code`.", false},
        {"A [link](https://guide.example).", true},
        {"A [reference] [1].", true},
        {"An autolink <https://guide.example>.", true},
        {"A bare https://guide.example address.", true},
        {"A bare www.guide.example address.", true},
        {"Mail help@guide.example.", true},
        {"Brackets [alone] and (parentheses).", false},
    };
    for (const auto& [markdown, link] : cases)
        EXPECT_EQ(MarkdownLabel::hasLink(QString::fromUtf8(markdown)), link) << markdown;
}
