#pragma once
// What the edition tests share: readable failure output for the catalogue's values, a compact
// description of a workflow, and profiles and probe bundles built field by field.

#include "editions/brew/HomebrewLocationState.h"
#include "editions/ProductConfig.h"
#include "catalog/SetupWorkflow.h"
#include "platform/SystemProfile.h"

#include "support/CurrentEdition.h"
#include "support/Sandbox.h"
#include "support/StubShell.h"

#include "support/QtPrinters.h"

#include <QStringList>

#include <ostream>

namespace qlan {

inline void PrintTo(HomebrewLocationState state, std::ostream* out) {
    *out << state.name().toStdString();
}

inline void PrintTo(const SetupDiagnosis& diagnosis, std::ostream* out) {
    *out << '{' << toText(diagnosis.classification).toStdString() << ": \""
         << diagnosis.headline.toStdString() << "\" / \"" << diagnosis.detail.toStdString() << "\"}";
}

inline void PrintTo(const SetupVerificationResult& result, std::ostream* out) {
    *out << "{raw \"" << result.rawOutput.toStdString() << "\", passed " << result.passed << ", exit "
         << (result.exitCode ? std::to_string(*result.exitCode) : std::string("none")) << ", outcome "
         << result.engineOutcome.value_or(QStringLiteral("none")).toStdString() << ", items ";
    ::PrintTo(result.verifiedItems, out);
    *out << ", details {";
    for (auto it = result.details.cbegin(); it != result.details.cend(); ++it)
        *out << it.key().toStdString() << '=' << it.value().toStdString() << ' ';
    *out << "}}";
}

} // namespace qlan

namespace qlan::test {

// One line per step: "domain placement classification [action ids]".
inline QStringList describe(const QList<WorkflowStep>& steps) {
    QStringList lines;
    for (const WorkflowStep& step : steps) {
        QStringList actions;
        for (const SetupAction& action : step.stage->actions())
            actions << action.id + QLatin1Char('/') + toText(action.verifyPolicy);
        lines << step.domainID() + QLatin1Char(' ') + toText(step.placement) + QLatin1Char(' ') +
                     toText(step.stage->diagnosis().classification) + QStringLiteral(" [") +
                     actions.join(QLatin1Char(' ')) + QLatin1Char(']');
    }
    return lines;
}

inline QStringList domainIDs(const QList<WorkflowStep>& steps) {
    QStringList ids;
    for (const WorkflowStep& step : steps)
        ids << step.domainID();
    return ids;
}

// The step of a domain; throws when there is none.
inline const SetupStage& stageOf(const QList<WorkflowStep>& steps, const QString& domainID) {
    for (const WorkflowStep& step : steps)
        if (step.domainID() == domainID) return *step.stage;
    throw std::runtime_error("no step " + domainID.toStdString());
}

inline SystemProfile profileOn(Architecture architecture) {
    SystemProfile profile;
    profile.architecture = architecture;
    return profile;
}

} // namespace qlan::test
