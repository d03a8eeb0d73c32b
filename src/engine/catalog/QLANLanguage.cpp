#include "catalog/QLANLanguage.h"

namespace qlan {

QString displayName(QLANLanguage value) {
    switch (value) {
    case QLANLanguage::python:
        return QStringLiteral("Python");
    case QLANLanguage::node:
        return QStringLiteral("JavaScript (Node)");
    case QLANLanguage::java:
        return QStringLiteral("Java");
    case QLANLanguage::ruby:
        return QStringLiteral("Ruby");
    case QLANLanguage::rust:
        return QStringLiteral("Rust");
    }
    return {};
}

QString versionCommand(QLANLanguage value) {
    switch (value) {
    case QLANLanguage::python:
        return QStringLiteral("python3 --version");
    case QLANLanguage::node:
        return QStringLiteral("node --version");
    case QLANLanguage::java:
        return QStringLiteral("java -version");
    case QLANLanguage::ruby:
        return QStringLiteral("ruby --version");
    case QLANLanguage::rust:
        return QStringLiteral("cargo --version");
    }
    return {};
}

QList<SetupRemediation> remediationPlan(const QSet<QLANLanguage>& languages) {
    QList<SetupRemediation> plan;
    if (languages.isEmpty()) return plan;
    const bool miseWanted = languages.contains(QLANLanguage::node) ||
                            languages.contains(QLANLanguage::ruby) || languages.size() > 1;
    if (languages.contains(QLANLanguage::python)) plan.append(SetupRemediation::installUv());
    if (miseWanted) plan.append(SetupRemediation::installMise());
    if (languages.contains(QLANLanguage::node)) plan.append(SetupRemediation::installNodeViaMise());
    if (languages.contains(QLANLanguage::ruby)) plan.append(SetupRemediation::installRubyViaMise());
    if (languages.contains(QLANLanguage::java)) plan.append(SetupRemediation::installTemurin());
    if (languages.contains(QLANLanguage::rust))
        plan.append(miseWanted ? SetupRemediation::installRustViaMise() : SetupRemediation::installRustup());
    return plan;
}

} // namespace qlan
