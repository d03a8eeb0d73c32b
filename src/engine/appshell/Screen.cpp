#include "appshell/Screen.h"

#include <QHashFunctions>

namespace qlan {

const AuditContext* Screen::auditContext() const {
    const auto* audit = std::get_if<Audit>(&value_);
    return audit ? &audit->context : nullptr;
}

QString Screen::offerID() const {
    const auto* offer = std::get_if<ContentOffer>(&value_);
    return offer ? offer->offerID : QString();
}

const char* Screen::kindName(Kind kind) {
    switch (kind) {
    case Kind::diagnose:
        return "diagnose";
    case Kind::setupWorkflow:
        return "setupWorkflow";
    case Kind::audit:
        return "audit";
    case Kind::nextStep:
        return "nextStep";
    case Kind::contentOffer:
        return "contentOffer";
    case Kind::guidedHelpOffer:
        return "guidedHelpOffer";
    case Kind::aiCodingOffer:
        return "aiCodingOffer";
    }
    return "";
}

size_t qHash(const Screen& screen, size_t seed) {
    seed = qHashMulti(seed, static_cast<int>(screen.kind()));
    if (const AuditContext* context = screen.auditContext()) return qHashMulti(seed, *context);
    if (screen.kind() == Screen::Kind::contentOffer) return qHashMulti(seed, screen.offerID());
    return seed;
}

} // namespace qlan
