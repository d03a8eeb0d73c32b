#include "ui/audit/Stage1View.h"

#include "audit/AuditStageModel.h"
#include "editions/ProductConfig.h"
#include "ui/audit/AuditWidgets.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/FramedBox.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TextLabel.h"

#include <QVBoxLayout>

namespace qlan {

Stage1View::Stage1View(const SystemProfile& profile, std::function<void()> onAdvance,
                       ProfileRefresh onProfileRefresh, const AuditScreenSeams& seams, QWidget* parent)
    : QWidget(parent) {
    model_ = makeStageModel(this, Stage1Foundations::defaultID, std::move(onAdvance),
                            std::move(onProfileRefresh), seams);

    const FoundationsCards cards = FoundationsCards::of(profile);
    auto* content = new QWidget;
    QVBoxLayout* items = column(content, 20);
    if (cards.homebrew) items->addWidget(homebrewCard());
    if (cards.commandLineTools) items->addWidget(commandLineToolsCard());
    if (cards.macOS) items->addWidget(macOSCard());
    auto* continueButton = new ProminentButton(QStringLiteral("Continue"));
    setAccessibilityIdentifier(continueButton, QStringLiteral("audit-stage-skip"));
    connect(continueButton, &QPushButton::clicked, model_, &AuditStageModel::continueOn);
    addWithSpace(items, continueButton, 8);

    auto* scaffold =
        new ScreenScaffold(QStringLiteral("System check"), QStringLiteral("Here's what we found."), content,
                           ScreenScaffold::Options::withoutArticleLink());
    setAccessibilityIdentifier(scaffold, QStringLiteral("audit-stage-foundations"));
    fillScreen(this, scaffold);
    presentFixSheets(this, model_, seams.sheetFactory());
    disableWhileHeld(content, model_);
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
