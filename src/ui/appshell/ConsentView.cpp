#include "ui/appshell/ConsentView.h"

#include "editions/ProductConfig.h"
#include "platform/LiveKeyValueStore.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TextLabel.h"

#include <QHBoxLayout>
#include <QShowEvent>
#include <QVBoxLayout>

namespace qlan {
namespace {

QWidget* makeSection(const QString& title, const QStringList& bullets) {
    auto* section = new QWidget;
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(new TextLabel(title, TextRole::headline));
    for (const QString& bullet : bullets) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* sign = new TextLabel(QStringLiteral("\u2022"), TextRole::callout);
        sign->setWordWrap(false);
        sign->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        TypeScale::applySecondaryStyle(sign);
        row->addWidget(sign, 0, Qt::AlignTop);
        row->addWidget(new TextLabel(bullet, TextRole::callout), 1, Qt::AlignTop);
        layout->addLayout(row);
    }
    return section;
}

} // namespace

ConsentView::ConsentView(std::function<void()> onContinue, TelemetryService& telemetry, QWidget* parent)
    : QWidget(parent)
    , onContinue_(std::move(onContinue))
    , telemetry_(telemetry) {
    const ProductConfig config = ProductConfig::current();

    auto* layout = new QVBoxLayout(this);
    const int margin = TypeScale::contentMargin;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(24);

    layout->addWidget(new TextLabel(QStringLiteral("Welcome to %1").arg(config.displayName),
                                    TextRole::largeTitle, FontWeight::semibold));

    auto* sections = new QWidget;
    auto* sectionsLayout = new QVBoxLayout(sections);
    sectionsLayout->setContentsMargins(0, 0, 0, 0);
    sectionsLayout->setSpacing(16);
    sectionsLayout->addWidget(makeSection(config.consent.whatTitle, config.consent.whatBullets));
    sectionsLayout->addWidget(makeSection(config.consent.privacyTitle, config.consent.privacyBullets));
    layout->addWidget(sections);

    auto* privacyRow = new QHBoxLayout;
    privacyRow->setSpacing(8);
    auto* privacyIntro = new TextLabel(QStringLiteral("Read the privacy details:"), TextRole::footnote);
    privacyIntro->setWordWrap(false);
    privacyIntro->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    TypeScale::applySecondaryStyle(privacyIntro);
    privacyRow->addWidget(privacyIntro, 0, Qt::AlignVCenter);
    auto* privacyLink =
        new LinkLabel(privacyLinkLabel(config.urls.privacy), config.urls.privacy, TextRole::footnote);
    setAccessibilityIdentifier(privacyLink, QStringLiteral("consent-privacy-link"));
    privacyRow->addWidget(privacyLink, 0, Qt::AlignVCenter);
    privacyRow->addStretch(1);
    layout->addLayout(privacyRow);

    layout->addStretch(1);

    continueButton_ = new ProminentButton(QStringLiteral("Continue"));
    setAccessibilityIdentifier(continueButton_, QStringLiteral("consent-continue"));
    continueButton_->bindToReturn();
    connect(continueButton_, &QPushButton::clicked, this, &ConsentView::continueTapped);
    layout->addWidget(continueButton_, 0, Qt::AlignLeading);
}

void ConsentView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) continueButton_->setFocus(Qt::OtherFocusReason);
}

void ConsentView::continueTapped() {
    LiveKeyValueStore().set(true, consentKey());
    telemetry_.track(consentGivenEvent());
    if (onContinue_) onContinue_();
}

QString ConsentView::privacyLinkLabel(const QUrl& url) {
    // The path as a file-system path reads it: decoded, without a trailing slash (the root stays "/").
    QString path = url.path(QUrl::FullyDecoded);
    if (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    return url.host() + path;
}

QString ConsentView::consentKey() {
    return ProductConfig::current().userDefaultsPrefix + QStringLiteral(".consented");
}

} // namespace qlan
