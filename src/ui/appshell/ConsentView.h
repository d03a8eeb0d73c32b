#pragma once
// The first screen, shown once: what the application does, how it treats privacy, and "Continue",
// which records the consent.

#include <QWidget>

#include <functional>

namespace qlan {

class LinkLabel;
class ProminentButton;
class TelemetryService;
class TextLabel;

class ConsentView : public QWidget {
    Q_OBJECT
public:
    // `onContinue` runs after the consent has been recorded. Events go to `telemetry`, which
    // outlives the view.
    explicit ConsentView(std::function<void()> onContinue, TelemetryService& telemetry,
                         QWidget* parent = nullptr);

    // Stores the consent flag, hands "consent_given" to telemetry without waiting, then calls
    // `onContinue`.
    void continueTapped();

    // The privacy link's label: the URL's host followed directly by its path.
    static QString privacyLinkLabel(const QUrl& url);
    // The key of the consent flag in the standard user defaults.
    static QString consentKey();

protected:
    // The focus starts on "Continue", the screen's default action, rather than on the privacy link.
    void showEvent(QShowEvent* event) override;

private:
    ProminentButton* continueButton_ = nullptr;

    std::function<void()> onContinue_;
    TelemetryService& telemetry_;
};

} // namespace qlan
