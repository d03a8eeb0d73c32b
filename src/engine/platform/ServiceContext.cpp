#include "platform/ServiceContext.h"

namespace qlan {
namespace {

// Holds the values of one scope; found by walking the parent chain.
class ScopeValues : public QObject {
public:
    explicit ScopeValues(QObject* parent) : QObject(parent) { setObjectName(kName); }
    static constexpr const char* kName = "qlan-service-context";

    std::optional<AppServices> services;
    bool hasProfile = false; // the profile value was set on this scope (possibly to absent)
    std::optional<SystemProfile> profile;
};

ScopeValues* ownValues(QObject* scope) {
    auto* values = scope->findChild<ScopeValues*>(ScopeValues::kName, Qt::FindDirectChildrenOnly);
    return values ? values : new ScopeValues(scope);
}

template <typename Pred> const ScopeValues* nearest(const QObject* from, Pred pred) {
    for (const QObject* obj = from; obj; obj = obj->parent()) {
        const auto* values = obj->findChild<ScopeValues*>(ScopeValues::kName, Qt::FindDirectChildrenOnly);
        if (values && pred(*values)) return values;
    }
    return nullptr;
}

} // namespace

void ServiceContext::setServices(QObject* scope, const AppServices& services) {
    ownValues(scope)->services = services;
}

AppServices ServiceContext::services(const QObject* from) {
    const auto* values = nearest(from, [](const ScopeValues& v) { return v.services.has_value(); });
    return values ? *values->services : AppServices::live();
}

void ServiceContext::setSystemProfile(QObject* scope, const std::optional<SystemProfile>& profile) {
    auto* values = ownValues(scope);
    values->hasProfile = true;
    values->profile = profile;
}

std::optional<SystemProfile> ServiceContext::systemProfile(const QObject* from) {
    const auto* values = nearest(from, [](const ScopeValues& v) { return v.hasProfile; });
    return values ? values->profile : std::nullopt;
}

} // namespace qlan
