#pragma once
// The foundations stage of the audit: which foundations of a development Mac are missing or behind
// (Homebrew, the Command Line Tools, the macOS release), the Homebrew installation in the fix sheet,
// the guides for the rest, and "Continue". Made only by the stage factory.

#include "ui/audit/AuditStageViews.h"

#include <QPointer>

#include <array>
#include <functional>

namespace qlan {

class Stage1View : public AuditStageView {
    Q_OBJECT
public:
    Stage1View(const SystemProfile& profile, std::function<void()> onAdvance, ProfileRefresh onProfileRefresh,
               const AuditScreenSeams& seams, QWidget* parent = nullptr);

    // The cards of the profile: a card that stays is left as it stands, one that goes is taken away and one
    // that comes takes its place in the order of the cards, above "Continue".
    void showProfile(const SystemProfile& profile) override;

private:
    // A card's place in the column (hidden while empty) and the card shown there.
    struct Card {
        QWidget* place = nullptr;
        QPointer<QWidget> shown;
    };
    using CardMaker = QWidget* (Stage1View::*)();
    // Shows a card made by `make` in its place when `wanted`, or takes the one shown away.
    void placeCard(Card& card, bool wanted, CardMaker make);
    QWidget* homebrewCard();
    QWidget* commandLineToolsCard();
    QWidget* macOSCard();

    QWidget* content_ = nullptr;
    std::array<Card, 3> cards_; // Homebrew, the Command Line Tools, macOS
};

} // namespace qlan
