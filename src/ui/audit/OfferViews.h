#pragma once
// The three follow-up offer screens: the content offer, the guided-help offer and the AI-coding offer.
// Each is the edition's offer (or fixed texts when the edition has none) with a primary button where the
// offer allows one and a second button that goes home; the guided-help screen shows a notice after its
// primary button instead of selling anything.

#include "audit/OfferScreenModel.h"

#include <QWidget>

#include <optional>

class QPushButton;
class QVBoxLayout;

namespace qlan {

class OfferView : public QWidget {
    Q_OBJECT
public:
    OfferView(OfferScreenModel::Kind kind, const QString& offerID, QPointer<AppNavigation> navigation,
              TelemetryService& telemetry, QWidget* parent = nullptr);

    OfferScreenModel& model() { return model_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showButtons();

    OfferScreenModel model_;
    std::optional<QUrl> destination_; // read when the screen was built
    QWidget* buttons_ = nullptr;
    QVBoxLayout* content_ = nullptr;
};

class ContentOfferView : public OfferView {
    Q_OBJECT
public:
    ContentOfferView(const QString& offerID, QPointer<AppNavigation> navigation, TelemetryService& telemetry,
                     QWidget* parent = nullptr)
        : OfferView(OfferScreenModel::Kind::content, offerID, std::move(navigation), telemetry, parent) {}
};

class GuidedHelpOfferView : public OfferView {
    Q_OBJECT
public:
    explicit GuidedHelpOfferView(QPointer<AppNavigation> navigation, TelemetryService& telemetry,
                                 QWidget* parent = nullptr)
        : OfferView(OfferScreenModel::Kind::guidedHelp, OfferScreenModel::guidedHelpOfferID,
                    std::move(navigation), telemetry, parent) {}
};

class AICodingInterestView : public OfferView {
    Q_OBJECT
public:
    explicit AICodingInterestView(QPointer<AppNavigation> navigation, TelemetryService& telemetry,
                                  QWidget* parent = nullptr)
        : OfferView(OfferScreenModel::Kind::aiCoding, OfferScreenModel::aiCodingOfferID,
                    std::move(navigation), telemetry, parent) {}
};

} // namespace qlan
