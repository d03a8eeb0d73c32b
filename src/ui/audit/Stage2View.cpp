#include "ui/audit/Stage2View.h"

#include "audit/AuditStageModel.h"
#include "editions/ProductConfig.h"
#include "ui/audit/AuditWidgets.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TextLabel.h"

#include <QVBoxLayout>

namespace qlan {

Stage2View::Stage2View(const SystemProfile& profile, std::function<void()> onAdvance,
                       const AuditScreenSeams& seams, QWidget* parent)
    : AuditStageView(parent)
    , remediation_(Stage2Terminal::installRemediation(profile)) {
    model_ = makeStageModel(this, Stage2Terminal::defaultID, std::move(onAdvance), {}, seams);

    auto* content = new QWidget;
    QVBoxLayout* items = column(content, 12);
    auto* install = new ProminentButton(Remediation::installWarpViaBrew(Stage2Terminal::cask).title());
    connect(install, &QPushButton::clicked, model_, [this] { model_->install(remediation_); });
    items->addWidget(install, 0, Qt::AlignLeading);
    auto* learnMore = borderedButton(QStringLiteral("Learn more about Warp →"), ControlSize::large);
    connect(learnMore, &QPushButton::clicked, model_, [this] {
        model_->followLink(QStringLiteral("Warp"), ProductConfig::current().urls.warpAffiliate, true);
    });
    items->addWidget(learnMore, 0, Qt::AlignLeading);
    auto* disclosure = new TextLabel(commissionDisclosure(), TextRole::footnote);
    TypeScale::applySecondaryStyle(disclosure);
    items->addSpacing(4);
    items->addWidget(disclosure);
    auto* later = borderlessButton(QStringLiteral("Maybe later"));
    setAccessibilityIdentifier(later, QStringLiteral("audit-stage-skip"));
    connect(later, &QPushButton::clicked, model_, &AuditStageModel::skipByUser);
    addWithSpace(items, later, 16);

    auto* scaffold = new ScreenScaffold(
        QStringLiteral("Try Warp — the AI-assisted terminal"),
        QStringLiteral(
            "Warp is a modern macOS terminal with a better interface. AI assistance helps you learn "
            "and remember terminal commands. It's the terminal we recommend for Mac."),
        content, ScreenScaffold::Options::withoutArticleLink());
    setAccessibilityIdentifier(scaffold, QStringLiteral("audit-stage-terminal"));
    fillScreen(this, scaffold);
    presentFixSheets(this, model_, seams.sheetFactory());
    disableWhileHeld(content, model_);
}

void Stage2View::showProfile(const SystemProfile& profile) {
    remediation_ = Stage2Terminal::installRemediation(profile);
}

QString Stage2View::commissionDisclosure() {
    return QStringLiteral("We may earn a commission if you install Warp through ") +
           ProductConfig::current().displayName + QStringLiteral(". Our recommendation is editorial.");
}

} // namespace qlan
