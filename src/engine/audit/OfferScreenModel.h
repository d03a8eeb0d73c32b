#pragma once
// The state behind the three follow-up offer screens: the content offer (a page in the browser), the
// guided-help offer (records interest only: nothing is sold, nothing collected) and the AI-coding offer
// (a page in the browser). Texts, button label and address come from the current edition's offer
// catalogue, looked up afresh at each use, with fixed texts when the catalogue has no such offer; the
// events "offer_shown" (once per screen) and "offer_action" go out only for an offer the catalogue
// holds. Every way out empties the navigation path. Only web addresses (http, https) are opened. Lives
// on the GUI thread.

#include "appshell/AppNavigation.h"
#include "catalog/OfferSpec.h"

#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace qlan {

class TelemetryService;

class OfferScreenModel {
public:
    enum class Kind { content, guidedHelp, aiCoding };

    struct Environment {
        QPointer<AppNavigation> navigation;
        std::function<void(const QUrl&)> openURL; // opens a page in the default browser
    };

    // The offer ids of the two fixed screens.
    static inline const QString guidedHelpOfferID = QStringLiteral("guided_help_plan");
    static inline const QString aiCodingOfferID = QStringLiteral("ai_coding_setup");

    // `offerID` matters for the content offer only; the other two use their fixed ids.
    // Events go to `telemetry`, which outlives the model.
    OfferScreenModel(Kind kind, const QString& offerID, Environment environment, TelemetryService& telemetry);

    Kind kind() const { return kind_; }
    const QString& offerID() const { return offerID_; }
    std::optional<OfferSpec> offer() const;

    QString title() const;
    QString explanation() const;
    // The primary button: shown or not, its label, and its identifier.
    bool showsPrimary() const;
    QString primaryLabel() const;
    QString primaryIdentifier() const {
        return QStringLiteral("offer-") + offerID_ + QStringLiteral("-primary");
    }
    QString secondaryLabel() const;
    QString secondaryIdentifier() const {
        return QStringLiteral("offer-") + offerID_ + QStringLiteral("-dismiss");
    }
    // The guided-help screen after its primary button: the notice in place of the buttons.
    bool showsUnavailableNotice() const { return showedUnavailable_; }
    static QString unavailableNotice();
    static QString unavailableIdentifier() { return QStringLiteral("offer-guided_help_plan-unavailable"); }

    // The screen came on screen: "offer_shown" the first time the offer is present.
    void cameOnScreen();
    // The primary button. The content and AI-coding screens open `destination` (the address read when
    // the screen was built) and go home; the guided-help screen records interest and shows its notice.
    void primary(const std::optional<QUrl>& destination);
    // "Done — back to home" / "No thanks": "offer_action" dismissed, then home.
    void dismiss();
    // The guided-help notice's "Done — back to home": home, no event.
    void goHome();

    // Whether the address may be handed to the browser: http or https with a host.
    static bool isWebAddress(const QUrl& url);

private:
    void recordAction(const QString& action, const std::optional<QString>& result);

    Kind kind_;
    QString offerID_;
    Environment env_;
    TelemetryService& telemetry_;
    bool didEmitShown_ = false;
    bool showedUnavailable_ = false;
};

} // namespace qlan
