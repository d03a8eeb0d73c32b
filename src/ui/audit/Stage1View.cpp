#include "ui/audit/Stage1View.h"

#include "audit/AuditStageModel.h"
#include "editions/ProductConfig.h"
#include "ui/audit/AuditWidgets.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/FramedBox.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TextLabel.h"

#include <QVBoxLayout>

namespace qlan {

Stage1View::Stage1View(const SystemProfile& profile, std::function<void()> onAdvance,
                       ProfileRefresh onProfileRefresh, const AuditScreenSeams& seams, QWidget* parent)
    : AuditStageView(parent) {
    model_ = makeStageModel(this, Stage1Foundations::defaultID, std::move(onAdvance),
                            std::move(onProfileRefresh), seams);

    content_ = new QWidget;
    QVBoxLayout* items = column(content_, 20);
    // One place per card, in the cards' order, made before the controls below them: Tab, which follows the
    // order in which the controls were made, reads a card that comes later in its place.
    for (Card& card : cards_) {
        card.place = new QWidget;
        column(card.place, 0);
        card.place->hide();
        items->addWidget(card.place);
    }
    auto* continueButton = new ProminentButton(QStringLiteral("Continue"));
    setAccessibilityIdentifier(continueButton, QStringLiteral("audit-stage-skip"));
    connect(continueButton, &QPushButton::clicked, model_, &AuditStageModel::continueOn);
    addWithSpace(items, continueButton, 8);
    showProfile(profile);

    auto* scaffold =
        new ScreenScaffold(QStringLiteral("System check"), QStringLiteral("Here's what we found."), content_,
                           ScreenScaffold::Options::withoutArticleLink());
    setAccessibilityIdentifier(scaffold, QStringLiteral("audit-stage-foundations"));
    fillScreen(this, scaffold);
    presentFixSheets(this, model_, seams.sheetFactory());
    disableWhileHeld(content_, model_);
}

void Stage1View::showProfile(const SystemProfile& profile) {
    const FoundationsCards wanted = FoundationsCards::of(profile);
    placeCard(cards_[0], wanted.homebrew, &Stage1View::homebrewCard);
    placeCard(cards_[1], wanted.commandLineTools, &Stage1View::commandLineToolsCard);
    placeCard(cards_[2], wanted.macOS, &Stage1View::macOSCard);
}

void Stage1View::placeCard(Card& card, bool wanted, CardMaker make) {
    if (wanted == bool(card.shown)) return;
    if (wanted) {
        // Shown at once where the screen stands, not on the layout's next pass (the scaffold takes it in as
        // it shows). A card that comes while the controls are held comes held with them: it is inside the
        // disabled part.
        card.shown = (this->*make)();
        card.place->layout()->addWidget(card.shown);
        card.place->show();
        return;
    }
    // The card hides before its place does, a focus in it starting over with the window.
    QWidget* going = card.shown;
    card.shown = nullptr;
    card.place->layout()->removeWidget(going);
    hideGoingPart(going);
    going->deleteLater();
    card.place->hide();
}

QWidget* Stage1View::homebrewCard() {
    auto* card = new QWidget;
    QVBoxLayout* items = column(card, 10);
    items->addWidget(new TextLabel(QStringLiteral("✗ Homebrew missing."), TextRole::callout));
    items->addWidget(
        secondaryText(QStringLiteral("We'll run the official Homebrew install script:"), TextRole::footnote));
    auto* command = new CodeBox(homebrewInstallCommand(), TextRole::caption);
    command->setWordWrap(false);
    items->addWidget(command);
    items->addWidget(secondaryText(
        QStringLiteral(
            "This is the same command you'd run from Terminal — we're just running it for you. macOS "
            "will prompt you for your password. Homebrew will also install Xcode Command Line Tools "
            "as part of its setup if they aren't already installed."),
        TextRole::footnote));
    auto* install = new ProminentButton(Remediation::installHomebrew().title());
    connect(install, &QPushButton::clicked, model_,
            [this] { model_->install(Remediation::installHomebrew()); });
    addWithSpace(items, install, 4);
    auto* later = borderlessButton(QStringLiteral("Maybe later"));
    connect(later, &QPushButton::clicked, model_, &AuditStageModel::skipByUser);
    items->addWidget(later, 0, Qt::AlignLeading);
    return card;
}

QWidget* Stage1View::commandLineToolsCard() {
    auto* card = new QWidget;
    QVBoxLayout* items = column(card, 8);
    items->addWidget(new TextLabel(QStringLiteral("✗ Xcode Command Line Tools missing."), TextRole::callout));
    auto* explanation = new MarkdownLabel(
        QStringLiteral("Homebrew is installed but Xcode Command Line Tools aren't — this is unusual. Run "
                       "`xcode-select --install` in Terminal, or read the install guide."),
        TextRole::footnote);
    TypeScale::applySecondaryStyle(explanation);
    items->addWidget(explanation);
    // The model opens the guide and records that it was followed.
    auto* guide = new LinkLabel(QStringLiteral("Read the article on Pellinor →"), QUrl(), TextRole::footnote);
    connect(guide, &QAbstractButton::clicked, model_, [this] {
        model_->followLink(QStringLiteral("Xcode CLT install guide"),
                           ProductConfig::current().urls.commandLineTools, false);
    });
    items->addWidget(guide, 0, Qt::AlignLeading);
    return card;
}

QWidget* Stage1View::macOSCard() {
    auto* card = new QWidget;
    QVBoxLayout* items = column(card, 8);
    items->addWidget(new TextLabel(
        QStringLiteral("→ Your macOS is several versions behind the current release."), TextRole::callout));
    // The model opens the guide and records that it was followed.
    auto* guide = new LinkLabel(QStringLiteral("How to update macOS →"), QUrl(), TextRole::footnote);
    connect(guide, &QAbstractButton::clicked, model_, [this] {
        model_->followLink(QStringLiteral("macOS upgrade guide"), ProductConfig::current().urls.macosUpgrade,
                           false);
    });
    items->addWidget(guide, 0, Qt::AlignLeading);
    return card;
}

} // namespace qlan
