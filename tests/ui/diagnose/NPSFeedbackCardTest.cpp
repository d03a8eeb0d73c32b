// The feedback card and the host helper of the screens that show it.

#include "ui/widgets/NPSFeedbackCard.h"
#include "editions/ProductConfig.h"
#include "support/CurrentEdition.h"
#include "support/Sandbox.h"
#include "support/ScreenCapture.h"
#include "support/TelemetryEndpoint.h"
#include "support/Wait.h"
#include "telemetry/NPSFeedbackHost.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TextLabel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QJsonValue>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

class NPSFeedbackCardTest : public ::testing::Test {
protected:
    NPSFeedbackCardTest() { telemetry_ = endpoint_.makeService(mac_.services()); }

    // A host whose thanks pause ends when the test says so.
    std::shared_ptr<NPSFeedbackHost> makeHost() {
        return std::make_shared<NPSFeedbackHost>(
            ProductConfig::current().userDefaultsPrefix, mac_.services().store, *telemetry_,
            [this](QObject*, std::function<void()> resume) { pendingPauses_.append(std::move(resume)); });
    }
    bool storeSaysSubmitted() const {
        return mac_.services().store->boolValue(
            NPSFeedbackHost::submittedKey(ProductConfig::current().userDefaultsPrefix));
    }
    // Every event delivered once `expected` of them have arrived and a short while has passed, in which no
    // other may follow.
    QList<ReceivedEvent> settledEvents(qsizetype expected) {
        endpoint_.waitForEvents(expected);
        waitUntil([] { return false; }, 150);
        return endpoint_.receivedEvents();
    }
    // The names of the delivered events but "nps_shown", which only the first host of a run (of a test)
    // sends, once `expected` of those have arrived and a short while has passed.
    QStringList settledNamesButShown(qsizetype expected) {
        const auto namesButShown = [this] {
            QStringList names;
            for (const ReceivedEvent& event : endpoint_.receivedEvents())
                if (event.name != "nps_shown") names.append(event.name);
            return names;
        };
        waitUntil([&] { return namesButShown().size() >= expected; });
        waitUntil([] { return false; }, 150);
        return namesButShown();
    }
    static void click(QWidget* card, const QString& id) {
        auto* button = card->findChild<QAbstractButton*>(id);
        ASSERT_NE(button, nullptr) << id.toStdString();
        ASSERT_TRUE(button->isVisibleTo(card)) << id.toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static bool shows(QWidget* card, const QString& id) {
        auto* widget = card->findChild<QWidget*>(id);
        return widget && widget->isVisibleTo(card);
    }

    CurrentEdition edition_{ProductConfig::homebrewEdition()};
    Sandbox mac_;
    TelemetryEndpoint endpoint_;
    std::unique_ptr<TelemetryService> telemetry_;
    QList<std::function<void()>> pendingPauses_;
};

} // namespace

TEST_F(NPSFeedbackCardTest, ScoreSubmitPauseThanks) {
    auto host = makeHost();
    EXPECT_FALSE(host->wasSubmittedBefore());
    int submitted = 0;
    NPSFeedbackCard card(
        host, [&] { ++submitted; }, [] {});
    card.resize(640, 100);
    card.show();
    EXPECT_EQ(card.objectName(), "nps-card");
    EXPECT_EQ(NPSFeedbackCard::question(), "How likely are you to recommend " +
                                               ProductConfig::current().displayName +
                                               " to a friend or colleague?");
    // A screen reader hears one choice of eleven radio buttons "0" to "10", named by the question, with the
    // words of the scale at its ends.
    QAccessibleInterface* scores = QAccessible::queryAccessibleInterface(card.scoreButton(0))->parent();
    ASSERT_NE(scores, nullptr);
    EXPECT_EQ(scores->role(), QAccessible::Grouping);
    EXPECT_EQ(scores->text(QAccessible::Name), NPSFeedbackCard::question());
    QStringList scoreNames;
    for (int i = 0; i < scores->childCount(); ++i)
        scoreNames << scores->child(i)->text(QAccessible::Name);
    EXPECT_EQ(scoreNames, QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_EQ(scores->child(5)->role(), QAccessible::RadioButton);
    EXPECT_EQ(scores->child(0)->text(QAccessible::Description), "Not at all likely");
    EXPECT_EQ(scores->child(10)->text(QAccessible::Description), "Extremely likely");

    // Nothing to submit before a score is chosen; a new score replaces the old one, the reason stays.
    EXPECT_FALSE(shows(&card, "nps-submit"));
    click(&card, "nps-score-7");
    card.findChild<QPlainTextEdit*>()->setPlainText("  \n ");
    click(&card, "nps-score-0");
    EXPECT_EQ(card.phase(), NPSFeedbackCard::Phase::scored(0));
    EXPECT_TRUE(card.scoreButton(0)->isChecked());
    EXPECT_FALSE(card.scoreButton(7)->isChecked());
    EXPECT_EQ(card.reasonText(), "  \n ");
    // The arrow keys move the score.
    QTest::keyClick(card.scoreButton(0), Qt::Key_Right);
    EXPECT_EQ(card.phase(), NPSFeedbackCard::Phase::scored(1));
    EXPECT_EQ(card.focusWidget(), card.scoreButton(1));
    QTest::keyClick(card.scoreButton(1), Qt::Key_Left);
    EXPECT_EQ(card.phase(), NPSFeedbackCard::Phase::scored(0));
    card.adjustSize();
    saveScreenshot(&card, "nps-card-scored");

    // Submitting sends the answer and writes the marker at once; the host knows before the pause ends.
    click(&card, "nps-submit");
    EXPECT_EQ(card.phase(), NPSFeedbackCard::Phase::submitting());
    EXPECT_FALSE(shows(&card, "nps-submit"));
    EXPECT_TRUE(storeSaysSubmitted());
    EXPECT_TRUE(host->isSubmitted());
    EXPECT_EQ(submitted, 0);

    // Scores pressed during the pause change nothing.
    click(&card, "nps-score-9");
    EXPECT_EQ(card.phase(), NPSFeedbackCard::Phase::submitting());
    ASSERT_EQ(pendingPauses_.size(), 1);
    pendingPauses_.takeFirst()();
    EXPECT_EQ(card.phase(), NPSFeedbackCard::Phase::thanks());
    EXPECT_EQ(submitted, 1);
    card.adjustSize();
    saveScreenshot(&card, "nps-card-thanks");

    // Leaving the screen after a submission sends no dismissal.
    host->cardCameOnScreen();
    host->leave();
    const QList<ReceivedEvent> events = settledEvents(2);
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[0].name, "nps_submitted");
    EXPECT_EQ(events[0].data.value("score"), QJsonValue(0));
    EXPECT_EQ(events[0].data.value("reason"), QJsonValue(QJsonValue::Null));
    EXPECT_EQ(events[1].name, "nps_shown");

    // A host built afterwards leaves the card out.
    EXPECT_TRUE(makeHost()->wasSubmittedBefore());
}

TEST_F(NPSFeedbackCardTest, AChosenScoreEasesIntoTheAccentFillAndTheOldOneBackOut) {
    NPSFeedbackCard card(makeHost(), {}, {});
    card.show();
    // A point inside a score's circle, clear of its number.
    const auto fillOf = [&](int score) {
        return card.scoreButton(score)->grab().toImage().pixelColor(6, 15);
    };
    const auto near = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                   std::abs(a.blue() - b.blue()) <=
               6;
    };
    // The accent as a prominent button fills with it, dark enough for the white number.
    const QColor accent = ProminentButton::fillColor(card.palette());
    const QColor clear = fillOf(7);
    ASSERT_FALSE(near(clear, accent));

    click(&card, "nps-score-7");
    EXPECT_EQ(card.phase(), NPSFeedbackCard::Phase::scored(7)); // the choice itself is immediate
    EXPECT_FALSE(near(fillOf(7), accent));                      // its look eases in
    EXPECT_TRUE(waitUntil([&] { return near(fillOf(7), accent); }));
    click(&card, "nps-score-3");
    EXPECT_TRUE(waitUntil([&] { return near(fillOf(3), accent) && near(fillOf(7), clear); }));
}

TEST_F(NPSFeedbackCardTest, LongReasonIsCutAndDismissSendsOnce) {
    auto host = makeHost();
    NPSFeedbackCard card(
        host, [] {}, [] {});
    card.show();
    click(&card, "nps-score-10");
    card.findChild<QPlainTextEdit*>()->setPlainText(QString(600, u'r'));
    click(&card, "nps-submit");
    // Dismissing during the pause sends one "nps_dismissed"; leaving afterwards adds none.
    int dismissed = 0;
    NPSFeedbackCard second(
        host, [] {}, [&] { ++dismissed; });
    second.show();
    click(&second, "nps-dismiss");
    EXPECT_TRUE(second.didDismiss());
    EXPECT_FALSE(second.isVisible());
    EXPECT_EQ(dismissed, 1);

    auto leaving = makeHost();
    NPSFeedbackCard third(
        leaving, [] {}, [] {});
    leaving->cardCameOnScreen();
    click(&third, "nps-dismiss");
    leaving->leave();
    leaving->leave();

    EXPECT_EQ(settledNamesButShown(3), (QStringList{"nps_submitted", "nps_dismissed", "nps_dismissed"}));
    EXPECT_EQ(endpoint_.receivedEvents()[0].data.value("reason").toString(), QString(500, u'r'));
}

TEST_F(NPSFeedbackCardTest, LeavingUnansweredSendsOneDismissalAndADestroyedCardIsNeverCalledBack) {
    auto host = makeHost();
    host->leave(); // never came on screen: nothing
    host->cardCameOnScreen();
    host->leave();
    host->leave();

    int submitted = 0;
    auto* card = new NPSFeedbackCard(
        makeHost(), [&] { ++submitted; }, [] {});
    QPointer<NPSFeedbackCard> watched(card);
    card->selectScore(4);
    card->submit();
    delete card;
    ASSERT_EQ(pendingPauses_.size(), 1);
    pendingPauses_.takeFirst()();
    EXPECT_EQ(submitted, 0);
    EXPECT_TRUE(watched.isNull());

    // The default pause is a real timer bound to the card.
    NPSFeedbackHost timed(ProductConfig::current().userDefaultsPrefix, mac_.services().store, *telemetry_);
    NPSFeedbackCard waiting(
        std::shared_ptr<NPSFeedbackHost>(&timed, [](auto*) {}), [&] { ++submitted; }, [] {});
    waiting.selectScore(8);
    waiting.submit();
    EXPECT_TRUE(waitUntil([&] { return submitted == 1; }));

    EXPECT_EQ(settledNamesButShown(3), (QStringList{"nps_dismissed", "nps_submitted", "nps_submitted"}));
}
