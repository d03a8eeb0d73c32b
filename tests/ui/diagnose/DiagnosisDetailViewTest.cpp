// The diagnosis detail screen: one section per diagnosis, the chooser with its install button, and the
// feedback card of the no-errors section with its events.

#include "ui/diagnose/DiagnosisDetailView.h"
#include "DiagnoseUiFixture.h"
#include "editions/ProductConfig.h"
#include "support/ScreenCapture.h"
#include "telemetry/NPSFeedbackHost.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/NPSFeedbackCard.h"
#include "ui/widgets/TextLabel.h"

#include <QJsonValue>
#include <QPushButton>

using namespace qlan;
using namespace qlan::test;

namespace {

const JDKInfo kTemurin21 = jdkAt("21.0.5", "temurin-21.jdk");
const JDKInfo kZulu8 = jdkAt("1.8.0_392", "zulu-8.jdk");

class DiagnosisDetailViewTest : public DiagnoseUiTest {
protected:
    // A shown detail screen whose callbacks record what they were called with.
    std::unique_ptr<DiagnosisDetailView> show(const Diagnosis& diagnosis,
                                              std::optional<Remediation> d2 = std::nullopt) {
        DiagnosisDetailView::Callbacks callbacks{
            [this](const Remediation& r) { calls_.append("remediate " + r.id()); },
            [this](int major) { calls_.append(QStringLiteral("install %1").arg(major)); },
            [this] { calls_.append("keep"); },
            [this] { calls_.append("continue"); },
        };
        auto view = std::make_unique<DiagnosisDetailView>(
            diagnosis, std::nullopt, d2, callbacks,
            std::make_shared<NPSFeedbackHost>(ProductConfig::current().userDefaultsPrefix,
                                              mac_.services().store, *telemetry_),
            *telemetry_);
        DesktopActions::install(view.get(), desktop_);
        view->resize(720, 760);
        view->show();
        return view;
    }
    QStringList buttonIds(const QWidget* view) {
        QStringList ids;
        for (const QPushButton* button : view->findChildren<QPushButton*>())
            if (button->isVisible() && !button->objectName().isEmpty() &&
                !button->objectName().startsWith("nps-"))
                ids.append(button->objectName());
        return ids;
    }

    QStringList calls_;
};

} // namespace

TEST_F(DiagnosisDetailViewTest, EachDiagnosisShowsItsSection) {
    const ProductURLs urls = ProductConfig::current().urls;
    {
        auto d1 = show(Diagnosis::noJDK());
        saveScreenshot(d1.get(), "diagnosis-d1");
        EXPECT_EQ(d1->scaffold()->heading()->objectName(), "diagnose-headline");
        EXPECT_EQ(d1->scaffold()->heading()->text(), "Java is not installed");
        EXPECT_EQ(shown<QPushButton>(d1.get(), "diagnosis-d1-install-chosen")->text(), "Install Java 25");
        click(d1.get(), "diagnosis-d1-pick-java-21");
        EXPECT_EQ(shown<QPushButton>(d1.get(), "diagnosis-d1-install-chosen")->text(), "Install Java 21");
        click(d1.get(), "diagnosis-d1-install-chosen");
        EXPECT_EQ(shown(d1.get(), "remediation-primary-button"), nullptr);
        auto* other = shown<LinkLabel>(d1.get(), "remediation-secondary-link");
        ASSERT_NE(other, nullptr);
        other->activate();
        EXPECT_EQ(desktop_->openedURLs, QList<QUrl>{urls.installMethods});
    }
    {
        auto waiting = show(Diagnosis::homeUnset(kTemurin21));
        EXPECT_TRUE(showsText(waiting.get(), "Choosing fix method…"));
        EXPECT_EQ(waiting->findChild<ActivityIndicator*>()->controlSize(), ControlSize::regular);
        EXPECT_TRUE(buttonIds(waiting.get()).isEmpty());
        EXPECT_TRUE(waiting->findChildren<LinkLabel*>().isEmpty());

        const Remediation fix = Remediation::writeJavaHomeToZprofile(kTemurin21.path);
        auto d2 = show(Diagnosis::homeUnset(kTemurin21), fix);
        saveScreenshot(d2.get(), "diagnosis-d2");
        EXPECT_FALSE(showsText(d2.get(), "Choosing fix method…"));
        auto* primary = shown<QPushButton>(d2.get(), "remediation-primary-button");
        EXPECT_EQ(primary->text(), fix.title());
        EXPECT_EQ(primary->property("controlSize").toString(), "large");
        EXPECT_EQ(primary->height(), primary->sizeHint().height()); // never squeezed
        EXPECT_TRUE(showsText(d2.get(), fix.rationale()));
        // The rationale takes the column's width, as the heading does.
        for (const QLabel* label : d2->findChildren<QLabel*>()) {
            if (label->text() != fix.rationale()) continue;
            EXPECT_EQ(label->width(), d2->scaffold()->heading()->width());
        }
        click(d2.get(), "remediation-primary-button");
        d2->findChild<LinkLabel*>()->activate();
        EXPECT_EQ(desktop_->openedURLs.last(), urls.envConfig);
    }
    {
        auto d3 = show(Diagnosis::legacyOnly(kZulu8));
        saveScreenshot(d3.get(), "diagnosis-d3");
        EXPECT_EQ(buttonIds(d3.get()),
                  (QStringList{"diagnosis-d3-install-chosen", "diagnosis-d3-keep-legacy"}));
        EXPECT_NE(shown(d3.get(), "diagnosis-d3-pick-java-17"), nullptr);
        EXPECT_EQ(d3->findChild<LinkLabel*>(), nullptr);
        // The borderless button starts at the column's edge, like the text above it.
        EXPECT_EQ(shown(d3.get(), "diagnosis-d3-keep-legacy")->mapTo(d3.get(), QPoint()).x(),
                  d3->scaffold()->heading()->mapTo(d3.get(), QPoint()).x());
        click(d3.get(), "diagnosis-d3-keep-legacy");
        click(d3.get(), "diagnosis-d3-install-chosen");
    }
    {
        auto unknown = show(Diagnosis::unknownState("JavaVirtualMachines directory has entries"));
        EXPECT_EQ(buttonIds(unknown.get()), QStringList{"continue-to-audit"});
        EXPECT_EQ(unknown->feedbackCard(), nullptr);
        click(unknown.get(), "continue-to-audit");
    }
    EXPECT_EQ(calls_, (QStringList{"install 21",
                                   "remediate " + Remediation::writeJavaHomeToZprofile(kTemurin21.path).id(),
                                   "keep", "install 25", "continue"}));

    // Each chooser section sends "chooser_shown" when it comes on screen, with the default 25.
    const QList<ReceivedEvent> events = settledEvents(2);
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[0].name, "chooser_shown");
    EXPECT_EQ(events[0].data, (QJsonObject{{"screen", "d1"}, {"default_offered", 25}}));
    EXPECT_EQ(events[1].data, (QJsonObject{{"screen", "d3"}, {"default_offered", 25}}));
}

TEST_F(DiagnosisDetailViewTest, FeedbackCardFollowsTheMarkerAndEachScreenSendsOneDismissal) {
    // Two screens of one run: "nps_shown" once for both.
    auto first = show(Diagnosis::noErrors());
    saveScreenshot(first.get(), "diagnosis-no-errors");
    auto second = show(Diagnosis::modernHomeSet(kTemurin21));
    ASSERT_NE(first->feedbackCard(), nullptr);
    ASSERT_NE(second->feedbackCard(), nullptr);
    EXPECT_TRUE(first->feedbackCard()->isVisible());

    // Dismissing the card and then continuing: one "nps_dismissed", from the card.
    click(first->feedbackCard(), "nps-dismiss");
    click(first.get(), "continue-to-audit");
    // Continuing past a card left unanswered: one "nps_dismissed".
    click(second.get(), "continue-to-audit");
    EXPECT_EQ(calls_, (QStringList{"continue", "continue"}));

    // Once answered on this Mac, a new screen leaves the card out and continuing sends nothing.
    mac_.services().store->set(true,
                               NPSFeedbackHost::submittedKey(ProductConfig::current().userDefaultsPrefix));
    auto answered = show(Diagnosis::noErrors());
    EXPECT_EQ(answered->feedbackCard(), nullptr);
    EXPECT_FALSE(answered->showsFeedbackCard());
    click(answered.get(), "continue-to-audit");

    QStringList names = settledNames(3);
    EXPECT_EQ(names.removeAll("nps_shown"), 1);
    EXPECT_EQ(names, (QStringList{"nps_dismissed", "nps_dismissed"}));
}
