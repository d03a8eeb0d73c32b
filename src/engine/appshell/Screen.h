#pragma once
// A destination that can be pushed onto the window's navigation stack.

#include "appshell/AuditContext.h"

#include <QString>

#include <variant>

namespace qlan {

class Screen {
public:
    // In declaration order; the order is each case's index (hashing feeds it).
    enum class Kind {
        diagnose,
        setupWorkflow,
        audit,
        nextStep,
        contentOffer,
        guidedHelpOffer,
        aiCodingOffer
    };

    static Screen diagnose() { return Screen(Diagnose{}); }
    static Screen setupWorkflow() { return Screen(SetupWorkflow{}); }
    static Screen audit(AuditContext context) { return Screen(Audit{std::move(context)}); }
    static Screen nextStep() { return Screen(NextStep{}); }
    static Screen contentOffer(QString offerID) { return Screen(ContentOffer{std::move(offerID)}); }
    static Screen guidedHelpOffer() { return Screen(GuidedHelpOffer{}); }
    static Screen aiCodingOffer() { return Screen(AICodingOffer{}); }

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    // The audit's context; only for `audit` (nullptr otherwise).
    const AuditContext* auditContext() const;
    // The offer identifier; only for `contentOffer` (empty otherwise).
    QString offerID() const;

    // The case's name, e.g. "setupWorkflow".
    static const char* kindName(Kind kind);

    friend bool operator==(const Screen&, const Screen&) = default;

private:
    struct Diagnose {
        friend bool operator==(const Diagnose&, const Diagnose&) = default;
    };
    struct SetupWorkflow {
        friend bool operator==(const SetupWorkflow&, const SetupWorkflow&) = default;
    };
    struct Audit {
        AuditContext context;
        friend bool operator==(const Audit&, const Audit&) = default;
    };
    struct NextStep {
        friend bool operator==(const NextStep&, const NextStep&) = default;
    };
    struct ContentOffer {
        QString offerID;
        friend bool operator==(const ContentOffer&, const ContentOffer&) = default;
    };
    struct GuidedHelpOffer {
        friend bool operator==(const GuidedHelpOffer&, const GuidedHelpOffer&) = default;
    };
    struct AICodingOffer {
        friend bool operator==(const AICodingOffer&, const AICodingOffer&) = default;
    };
    using Value =
        std::variant<Diagnose, SetupWorkflow, Audit, NextStep, ContentOffer, GuidedHelpOffer, AICodingOffer>;

    explicit Screen(Value value)
        : value_(std::move(value)) {}
    Value value_;
};

// Feeds the case index, then the payload.
size_t qHash(const Screen& screen, size_t seed = 0);

} // namespace qlan
