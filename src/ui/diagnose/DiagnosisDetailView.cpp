#include "ui/diagnose/DiagnosisDetailView.h"

#include "telemetry/NPSFeedbackHost.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"
#include "ui/diagnose/JavaVersionChooserView.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/BorderlessButton.h"
#include "ui/widgets/IntBinding.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/NPSFeedbackCard.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/ScreenPieces.h"
#include "ui/widgets/ShowHook.h"
#include "ui/widgets/TextLabel.h"

#include <QPointer>
#include <QVBoxLayout>

namespace qlan {

DiagnosisDetailView::DiagnosisDetailView(Diagnosis diagnosis, std::optional<Remediation> d1Remediation,
                                         std::optional<Remediation> d2Remediation, Callbacks callbacks,
                                         std::shared_ptr<NPSFeedbackHost> nps, ProductURLs urls,
                                         TelemetryService& telemetry, QWidget* parent)
    : QWidget(parent)
    , diagnosis_(std::move(diagnosis))
    , d1Remediation_(std::move(d1Remediation))
    , d2Remediation_(std::move(d2Remediation))
    , callbacks_(std::move(callbacks))
    , nps_(std::move(nps))
    , urls_(std::move(urls))
    , telemetry_(telemetry)
    , d1ChosenMajor_(new IntBinding(Diagnosis::recommendedMajor, this))
    , d3ChosenMajor_(new IntBinding(Diagnosis::recommendedMajor, this)) {
    showNPSOnNoErrors_ = !nps_->wasSubmittedBefore();

    QWidget* section = nullptr;
    switch (diagnosis_.kind) {
    case Diagnosis::Kind::D1_NoJDK:
        section = installSection(QStringLiteral("d1"), d1ChosenMajor_);
        section->layout()->addWidget(otherInstallMethodsLink());
        break;
    case Diagnosis::Kind::D2_HomeUnset:
        section = primaryRemediationSection();
        break;
    case Diagnosis::Kind::D3_LegacyOnly:
        section = legacySection();
        break;
    case Diagnosis::Kind::D4_ModernHomeSet:
    case Diagnosis::Kind::noErrorsFound:
        section = noErrorsSection();
        break;
    case Diagnosis::Kind::unknown:
        section = continueOnlySection();
        break;
    }

    ScreenScaffold::Options options;
    options.titleAccessibilityIdentifier = QStringLiteral("diagnose-headline");
    options.explainerAccessibilityIdentifier = QStringLiteral("diagnose-detail");
    options.showsArticleLink = false;
    scaffold_ = new ScreenScaffold(diagnosis_.title(), diagnosis_.explanation(), section, options);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scaffold_);
}

QWidget* DiagnosisDetailView::installSection(const QString& context, IntBinding* chosen) {
    auto* section = new QWidget;
    auto* layout = column(section, 12);
    layout->addWidget(new JavaVersionChooserView(chosen, context));

    auto* install = new ProminentButton(installLabel(chosen->value()));
    setAccessibilityIdentifier(install, QStringLiteral("diagnosis-%1-install-chosen").arg(context));
    connect(chosen, &IntBinding::valueChanged, install,
            [install](int major) { install->setText(installLabel(major)); });
    connect(install, &QPushButton::clicked, this, [this, chosen] {
        if (callbacks_.onInstallChosen) callbacks_.onInstallChosen(chosen->value());
    });
    layout->addWidget(install, 0, Qt::AlignLeading);

    onEveryShow(section, [this, context] {
        telemetry_.track(chooserShownEvent(context, Diagnosis::recommendedMajor));
    });
    return section;
}

QWidget* DiagnosisDetailView::otherInstallMethodsLink() {
    auto* link =
        new LinkLabel(QStringLiteral("Other Java install methods"), urls_.installMethods, TextRole::footnote);
    setAccessibilityIdentifier(link, QStringLiteral("remediation-secondary-link"));
    return link;
}

QWidget* DiagnosisDetailView::primaryRemediationSection() {
    auto* section = new QWidget;
    auto* layout = column(section, 8);
    if (!d2Remediation_) {
        layout->addWidget(new ActivityIndicator, 0, Qt::AlignLeading);
        layout->addWidget(secondaryText(QStringLiteral("Choosing fix method…"), TextRole::footnote));
        return section;
    }
    const Remediation remediation = *d2Remediation_;
    auto* primary = new ProminentButton(remediation.title());
    setAccessibilityIdentifier(primary, QStringLiteral("remediation-primary-button"));
    setFocusAction(primary, setJavaHomeAction);
    connect(primary, &QPushButton::clicked, this, [this, remediation] {
        if (callbacks_.onRemediate) callbacks_.onRemediate(remediation);
    });
    layout->addWidget(primary, 0, Qt::AlignLeading);
    layout->addWidget(secondaryText(remediation.rationale(), TextRole::footnote));
    layout->addWidget(
        new LinkLabel(QStringLiteral("Read the JAVA_HOME article"), urls_.envConfig, TextRole::footnote));
    return section;
}

QWidget* DiagnosisDetailView::legacySection() {
    QWidget* section = installSection(QStringLiteral("d3"), d3ChosenMajor_);
    auto* keep = new BorderlessButton(QStringLiteral("Keep my current Java"), TextRole::footnote);
    TypeScale::applySecondaryStyle(keep);
    setAccessibilityIdentifier(keep, QStringLiteral("diagnosis-d3-keep-legacy"));
    connect(keep, &QPushButton::clicked, this, [this] {
        if (callbacks_.onKeepLegacy) callbacks_.onKeepLegacy();
    });
    section->layout()->addWidget(keep);
    section->layout()->setAlignment(keep, Qt::AlignLeading);
    return section;
}

QWidget* DiagnosisDetailView::noErrorsSection() {
    auto* section = new QWidget;
    auto* layout = column(section, 16);
    QPushButton* next = continueButton();
    connect(next, &QPushButton::clicked, this, [this] { continuePastNPS(); });
    layout->addWidget(next, 0, Qt::AlignLeading);
    if (showNPSOnNoErrors_) {
        card_ = new NPSFeedbackCard(
            nps_, [this] { markNPSSubmitted(); }, [] {});
        onEveryShow(card_, [nps = nps_] { nps->cardCameOnScreen(); });
        layout->addWidget(card_);
    }
    return section;
}

QWidget* DiagnosisDetailView::continueOnlySection() {
    auto* section = new QWidget;
    auto* layout = column(section, 8);
    QPushButton* next = continueButton();
    connect(next, &QPushButton::clicked, this, [this] {
        if (callbacks_.onContinue) callbacks_.onContinue();
    });
    layout->addWidget(next, 0, Qt::AlignLeading);
    return section;
}

QPushButton* DiagnosisDetailView::continueButton() {
    auto* button = new ProminentButton(QStringLiteral("Continue to system audit"));
    setAccessibilityIdentifier(button, QStringLiteral("continue-to-audit"));
    return button;
}

void DiagnosisDetailView::markNPSSubmitted() {
    showNPSOnNoErrors_ = false;
    if (!card_) return;
    QPointer<NPSFeedbackCard> card = card_;
    card_ = nullptr;
    card->hide();
    card->deleteLater(); // the card is still running its own callback
}

void DiagnosisDetailView::continuePastNPS() {
    // "nps_dismissed" when the card came on screen and was neither answered nor dismissed; a dismissal
    // or an answer the card already reported sends nothing more.
    nps_->leave();
    if (callbacks_.onContinue) callbacks_.onContinue();
}

} // namespace qlan
