#include "ui/audit/OfferViews.h"

#include "ui/audit/AuditWidgets.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TintedLabel.h"

#include <QVBoxLayout>

namespace qlan {

OfferView::OfferView(OfferScreenModel::Kind kind, const QString& offerID, QPointer<AppNavigation> navigation,
                     TelemetryService& telemetry, QWidget* parent)
    : QWidget(parent)
    , model_(kind, offerID,
             OfferScreenModel::Environment{
                 std::move(navigation), [this](const QUrl& url) { DesktopActions::of(this)->openURL(url); }},
             telemetry) {
    if (const auto offer = model_.offer()) destination_ = offer->destination;
    auto* content = new QWidget;
    content_ = column(content, 12);
    showButtons();
    fillScreen(this, new ScreenScaffold(model_.title(), model_.explanation(), content,
                                        ScreenScaffold::Options::withoutArticleLink()));
}

void OfferView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_.cameOnScreen();
}

void OfferView::showButtons() {
    if (buttons_) {
        content_->removeWidget(buttons_);
        buttons_->hide();
        buttons_->deleteLater(); // the press that changed the screen may still be running in it
    }
    buttons_ = new QWidget;
    QVBoxLayout* items = column(buttons_, 12);
    if (model_.showsUnavailableNotice()) {
        auto* notice =
            new TintedLabel(OfferScreenModel::unavailableNotice(), SystemColor::accent, 0.1f, 0.4f);
        setAccessibilityIdentifier(notice, OfferScreenModel::unavailableIdentifier());
        items->addWidget(notice);
        auto* done = new ProminentButton(QStringLiteral("Done — back to home"));
        connect(done, &QPushButton::clicked, this, [this] { model_.goHome(); });
        items->addWidget(done, 0, Qt::AlignLeading);
    } else {
        if (model_.showsPrimary()) {
            auto* primary = new ProminentButton(model_.primaryLabel());
            setAccessibilityIdentifier(primary, model_.primaryIdentifier());
            connect(primary, &QPushButton::clicked, this, [this] {
                model_.primary(destination_);
                if (model_.showsUnavailableNotice()) showButtons();
            });
            items->addWidget(primary, 0, Qt::AlignLeading);
        }
        QPushButton* second = borderedButton(model_.secondaryLabel(), ControlSize::large);
        setAccessibilityIdentifier(second, model_.secondaryIdentifier());
        connect(second, &QPushButton::clicked, this, [this] { model_.dismiss(); });
        items->addWidget(second, 0, Qt::AlignLeading);
    }
    content_->addWidget(buttons_);
}

} // namespace qlan
