// The screen scaffold and the consent and welcome screens.

#include "AppShellFixture.h"

#include "appshell/AppNavigation.h"
#include "support/AccessibleNames.h"
#include "support/KeyboardWalk.h"
#include "support/ScreenCapture.h"
#include "support/SelectableTexts.h"
#include "support/Wait.h"
#include "ui/appshell/ConsentView.h"
#include "ui/appshell/WelcomeView.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/SelectableText.h"
#include "ui/widgets/TextLabel.h"

#include <QLayout>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace qlan;
using namespace qlan::test;

namespace {

QStringList labelTexts(const QWidget* widget) {
    QStringList texts;
    for (const QLabel* label : widget->findChildren<QLabel*>())
        texts.append(label->text());
    return texts;
}

} // namespace

class ScreensTest : public AppShellTest {};

TEST_F(ScreensTest, ScaffoldLinksToTheEditionsArticleUnlessGivenOne) {
    QWidget window;
    DesktopActions::install(&window, desktop_);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* scaffold = new ScreenScaffold(QStringLiteral("A **title**"), QStringLiteral("An **explanation**"),
                                        new TextLabel(QStringLiteral("content")));
    layout->addWidget(scaffold);
    window.resize(720, 700);
    showActive(&window);
    saveScreenshot(&window, QStringLiteral("scaffold"));

    // No identifiers unless asked for.
    EXPECT_TRUE(scaffold->heading()->objectName().isEmpty());
    EXPECT_TRUE(scaffold->explanation()->objectName().isEmpty());
    // Markdown in the explanation is rendered; the title is shown literally.
    EXPECT_EQ(scaffold->heading()->textFormat(), Qt::PlainText);
    EXPECT_EQ(scaffold->heading()->text(), QStringLiteral("A **title**"));
    EXPECT_EQ(scaffold->explanation()->textFormat(), Qt::MarkdownText);
    EXPECT_EQ(scaffold->heading()->property("textRole").toString(), QStringLiteral("largeTitle"));
    EXPECT_TRUE(scaffold->heading()->property("semibold").toBool());
    EXPECT_TRUE(scaffold->explanation()->property("secondary").toBool());
    EXPECT_EQ(scaffold->layout()->spacing(), 20);
    EXPECT_EQ(scaffold->layout()->contentsMargins(), QMargins(32, 32, 32, 32));
    // Everything in it can be selected and copied, the content's own text included.
    EXPECT_TRUE(isSelectableByMouse(scaffold->heading()));
    EXPECT_TRUE(isSelectableByMouse(scaffold->findChild<TextLabel*>()));
    for (QLabel* text : std::initializer_list<QLabel*>{scaffold->heading(), scaffold->explanation()})
        EXPECT_TRUE(copiesAsAPerson(text, scaffold->articleLink()));

    // The link sits at the bottom of the window, below the free space, and falls back to the edition's
    // troubleshooting article.
    LinkLabel* link = scaffold->articleLink();
    EXPECT_EQ(link->text(), QStringLiteral("Read the article on Pellinor"));
    EXPECT_EQ(link->property("textRole").toString(), QStringLiteral("footnote"));
    EXPECT_EQ(link->mapTo(&window, QPoint(0, link->height())).y(), 700 - 32);
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(desktop_->openedURLs, QList<QUrl>{ProductConfig::current().urls.troubleshooting});

    // Given an article URL, the link goes there under the same label; identifiers land where asked.
    const QUrl article(QStringLiteral("https://guide.example/articles/elsewhere"));
    ScreenScaffold given(QStringLiteral("T"), QStringLiteral("E"), nullptr,
                         {.titleAccessibilityIdentifier = QStringLiteral("t-id"),
                          .explainerAccessibilityIdentifier = QStringLiteral("e-id"),
                          .articleURL = article});
    DesktopActions::install(&given, desktop_);
    EXPECT_EQ(given.findChild<TextLabel*>(QStringLiteral("t-id")), given.heading());
    EXPECT_EQ(announcedName(given.heading()), QStringLiteral("T")); // never its identifier
    EXPECT_EQ(given.findChild<MarkdownLabel*>(QStringLiteral("e-id")), given.explanation());
    EXPECT_EQ(given.articleLink()->text(), QStringLiteral("Read the article on Pellinor"));
    given.articleLink()->activate();
    EXPECT_EQ(desktop_->openedURLs.last(), article);
}

// Content that comes into a standing screen, under the content it was made with (a card shown at once, and
// one on the layout's next pass, inside a part made before the button below them): its texts can be selected
// with the mouse as the rest, and Tab goes in reading order from the window, where no control stands before
// the screen.
TEST_F(ScreensTest, ContentThatComesIntoAStandingScreenIsAsItsOwn) {
    QWidget window;
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    auto* slot = new QWidget;
    new QVBoxLayout(slot);
    column->addWidget(slot);
    column->addWidget(new QPushButton(QStringLiteral("Continue")));
    auto* scaffold =
        new ScreenScaffold(QStringLiteral("System check"), QStringLiteral("Here's what we found."), content);
    (new QVBoxLayout(&window))->addWidget(scaffold);
    DesktopActions::install(&window, desktop_);
    window.resize(720, 700);
    showActive(&window);
    const auto card = [](const QString& line, const QString& action) {
        auto* made = new QWidget;
        auto* items = new QVBoxLayout(made);
        items->addWidget(new TextLabel(line));
        items->addWidget(new QPushButton(action));
        return made;
    };
    QWidget* shownAtOnce = card(QStringLiteral("✗ Homebrew missing."), QStringLiteral("Install Homebrew"));
    slot->layout()->addWidget(shownAtOnce);
    shownAtOnce->show();
    QWidget* shownLater = card(QStringLiteral("→ Your macOS is behind."), QStringLiteral("How to update"));
    slot->layout()->addWidget(shownLater);
    ASSERT_TRUE(waitUntil([&] { return shownLater->isVisible(); }));
    ASSERT_TRUE(waitForQueuedCalls());
    EXPECT_TRUE(textsSelectableByMouse(scaffold));
    EXPECT_TRUE(walksByKeyboard(&window));
}

TEST_F(ScreensTest, ScaffoldWrapsLongTextInsteadOfTruncating) {
    const QString longTitle = QStringLiteral("A heading that is far longer than the window is wide, so it "
                                             "has to continue on a second and a third line");
    ScreenScaffold scaffold(longTitle, longTitle + QStringLiteral(" and more"), nullptr);
    scaffold.resize(720, 700);
    scaffold.show();
    QCoreApplication::processEvents();
    const QFontMetrics metrics(scaffold.heading()->font());
    // Heading and explanation take the full width inside the margins, and wrap within it.
    EXPECT_EQ(scaffold.heading()->width(), 720 - 2 * 32);
    EXPECT_EQ(scaffold.explanation()->width(), 720 - 2 * 32);
    EXPECT_GT(metrics.horizontalAdvance(longTitle), scaffold.heading()->width());
    EXPECT_GE(scaffold.heading()->height(), 2 * metrics.lineSpacing());
    EXPECT_TRUE(scaffold.heading()->wordWrap());
    EXPECT_TRUE(scaffold.explanation()->wordWrap());
}

TEST_F(ScreensTest, ConsentShowsTheEditionsTextsAndLinksToItsPrivacyPage) {
    auto telemetry = makeTelemetry(/*disabled=*/true);
    ConsentView consent([] {}, *telemetry);
    DesktopActions::install(&consent, desktop_);
    consent.resize(720, 720);
    showActive(&consent);
    saveScreenshot(&consent, QStringLiteral("consent-view"));

    const ProductConfig edition = ProductConfig::current();
    QStringList expected{QStringLiteral("Welcome to ") + edition.displayName, edition.consent.whatTitle};
    expected += edition.consent.whatBullets;
    expected += edition.consent.privacyTitle;
    expected += edition.consent.privacyBullets;
    expected += QStringLiteral("Read the privacy details:");
    QStringList shown = labelTexts(&consent);
    shown.removeAll(QStringLiteral("\u2022"));
    shown.removeAll(ConsentView::privacyLinkLabel(edition.urls.privacy));
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(labelTexts(&consent).count(QStringLiteral("\u2022")),
              edition.consent.whatBullets.size() + edition.consent.privacyBullets.size());
    EXPECT_THAT(
        edition.consent.whatBullets,
        testing::Contains(QStringLiteral("Installs Homebrew and Apple's Command Line Tools, if you wish.")));

    auto* link = consent.findChild<LinkLabel*>(QStringLiteral("consent-privacy-link"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->text(), edition.urls.privacy.host() + QStringLiteral("/quillane/privacy"));
    EXPECT_EQ(announcedName(link), link->text());
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(desktop_->openedURLs, QList<QUrl>{edition.urls.privacy});

    auto* button = consent.findChild<QPushButton*>(QStringLiteral("consent-continue"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("Continue"));
    EXPECT_EQ(announcedName(button), QStringLiteral("Continue"));
    EXPECT_TRUE(button->hasFocus()); // the focus starts on "Continue", not on the link above it

    EXPECT_EQ(ConsentView::privacyLinkLabel(QUrl(QStringLiteral("https://guide.example/quillane/privacy"))),
              QStringLiteral("guide.example/quillane/privacy"));
    EXPECT_EQ(ConsentView::privacyLinkLabel(QUrl(QStringLiteral("file:///quillane/privacy"))),
              QStringLiteral("/quillane/privacy"));
    EXPECT_EQ(ConsentView::privacyLinkLabel(QUrl(QStringLiteral("https://guide.example/a%20b/"))),
              QStringLiteral("guide.example/a b"));
}

TEST_F(ScreensTest, WelcomeTakesItsTextsAndFlowFromTheEdition) {
    {
        QWidget window;
        auto* nav = new AppNavigation(&window);
        auto* layout = new QVBoxLayout(&window);
        auto* welcome = new WelcomeView(ProductConfig::current(), TelemetryService::shared());
        layout->addWidget(welcome);
        EXPECT_EQ(welcome->scaffold()->heading()->text(), QStringLiteral("Set up Homebrew on your Mac"));
        EXPECT_EQ(
            welcome->scaffold()->explanation()->text(),
            QStringLiteral("Homebrew is the package manager developers use to install tools on a Mac. The "
                           "app will run a check to see what's needed. Nothing changes without your okay."));
        EXPECT_EQ(welcome->scaffold()->articleDestination(), ProductConfig::current().urls.troubleshooting);
        auto* button = window.findChild<QPushButton*>(QStringLiteral("welcome-diagnose-button"));
        ASSERT_NE(button, nullptr);
        button->click();
        EXPECT_EQ(nav->path(), QList<Screen>{Screen::setupWorkflow()});
    }

    // An edition without a headline shows its name; its diagnose flow opens the Java diagnosis.
    ProductConfig java = ProductConfig::javaEdition();
    ASSERT_FALSE(java.copy.welcomeHeadline);
    CurrentEdition scoped(java);
    QWidget window;
    auto* nav = new AppNavigation(&window);
    auto* layout = new QVBoxLayout(&window);
    auto* welcome = new WelcomeView(ProductConfig::current(), TelemetryService::shared());
    layout->addWidget(welcome);
    EXPECT_EQ(welcome->scaffold()->heading()->text(), java.displayName);
    auto* button = window.findChild<QPushButton*>(QStringLiteral("welcome-diagnose-button"));
    EXPECT_EQ(button->text(), java.copy.primaryCTA);
    button->click();
    EXPECT_EQ(nav->path(), QList<Screen>{Screen::diagnose()});
}

TEST_F(ScreensTest, AnEditionWithAGoalQuestionAsksItInsteadOfTheButton) {
    ProductConfig asking = ProductConfig::current();
    asking.goalPrompt =
        GoalPrompt{QStringLiteral("What brings you here?"),
                   QString(),
                   QStringLiteral("welcome"),
                   200,
                   {GoalOption{QStringLiteral("learn"), QStringLiteral("Learn"), std::nullopt}}};
    CurrentEdition scoped(asking);
    QWidget window;
    auto* nav = new AppNavigation(&window);
    nav->push(Screen::nextStep());
    auto* layout = new QVBoxLayout(&window);
    auto* welcome = new WelcomeView(ProductConfig::current(), TelemetryService::shared());
    layout->addWidget(welcome);
    EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("welcome-diagnose-button")), nullptr);

    welcome->goalChosen(QStringLiteral("learn"));
    EXPECT_EQ(nav->selectedGoal(), QStringLiteral("learn"));
    EXPECT_EQ(nav->path(), (QList<Screen>{Screen::nextStep(), Screen::diagnose()}));
}
