#pragma once
// The programming languages of the guided setup's "languages" stage, and the plan that turns a chosen
// set of them into the fixes that install them: uv for Python, mise for Node and Ruby, Temurin through
// Homebrew for Java, and Rust through mise when mise comes in anyway, else through rustup.

#include "catalog/SetupRemediation.h"
#include "platform/TextEnum.h"

#include <QList>
#include <QSet>
#include <QString>

namespace qlan {

// Declaration order is the order in which the picker shows the languages.
enum class QLANLanguage { python, node, java, ruby, rust };
template <> struct TextEnumCases<QLANLanguage> {
    static constexpr TextCase<QLANLanguage> cases[]{
        {QLANLanguage::python, "python"},
        {QLANLanguage::node, "node"},
        {QLANLanguage::java, "java"},
        {QLANLanguage::ruby, "ruby"},
        {QLANLanguage::rust, "rust"},
    };
};

QString displayName(QLANLanguage value);
// The command that prints the installed version.
QString versionCommand(QLANLanguage value);

// The fixes to run for the chosen languages, in a fixed order that does not depend on the order in which
// they were ticked. mise comes in for Node or Ruby, or for any two languages.
QList<SetupRemediation> remediationPlan(const QSet<QLANLanguage>& languages);

} // namespace qlan
