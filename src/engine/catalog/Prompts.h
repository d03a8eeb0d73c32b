#pragma once
// The follow-up questions an edition may ask: what the user came to do, and what to do after the setup
// (each answer leading somewhere). No edition of this system sets either; the types are complete so that
// one can.

#include "catalog/OfferRoute.h"
#include "catalog/Outcome.h"

#include <QList>
#include <QString>

#include <optional>

namespace qlan {

// One answer to the goal question; identified by `key`.
struct GoalOption {
    QString key;
    QString label;
    std::optional<QString> detailPrompt; // when present, the option asks for a free-text detail
    friend bool operator==(const GoalOption&, const GoalOption&) = default;
};

struct GoalPrompt {
    QString question;
    QString subcopy;
    QString surface;        // where the prompt is shown, sent with its telemetry
    int detailMaxChars = 0; // the most characters kept of the free-text detail
    QList<GoalOption> options;
    friend bool operator==(const GoalPrompt&, const GoalPrompt&) = default;
};

// One answer to the next-step question; identified by `key`.
struct NextStepOption {
    QString key;
    QString label;
    Outcome outcome;
    OfferRoute offer; // where choosing the option leads
    friend bool operator==(const NextStepOption&, const NextStepOption&) = default;
};

struct NextStepPrompt {
    QString question;
    QString leadIn;
    QString surface;
    QList<NextStepOption> options;
    friend bool operator==(const NextStepPrompt&, const NextStepPrompt&) = default;
};

} // namespace qlan
