#pragma once
// What the edition tests share: readable failure output for the catalogue's values, a compact
// description of a workflow, and profiles and probe bundles built field by field.

#include "editions/brew/HomebrewLocationState.h"
#include "editions/ProductConfig.h"
#include "catalog/SetupWorkflow.h"
#include "platform/SystemProfile.h"

#include "support/CurrentEdition.h"
#include "support/Sandbox.h"

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

// One answer of a stub login shell: the command line it is given after "-lc", what it prints and its status.
struct ShellAnswer {
    QString command;
    QString output;
    int exitCode = 0;
};

// A stub "/bin/zsh" that answers the given command lines and exits with 99 for any other. Its calls are
// recorded like any stub's (sandbox.calls("/bin/zsh")).
inline void writeStubShell(Sandbox& sandbox, const QList<ShellAnswer>& answers) {
    QString script = QStringLiteral("case \"$2\" in\n");
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const QString file = QStringLiteral("/stub-shell-answers/%1").arg(i);
        sandbox.writeFile(file, answers[i].output.toUtf8());
        QString pattern = answers[i].command;
        pattern.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
        script += QStringLiteral("  '%1') /bin/cat '%2'; exit %3;;\n")
                      .arg(pattern, sandbox.map(file))
                      .arg(answers[i].exitCode);
    }
    script += QStringLiteral("esac\nexit 99\n");
    sandbox.writeStub("/bin/zsh", StubSpec().withScript(script));
}

// The command lines the stub login shell was given, in the order the runs started.
inline QStringList shellCommands(const Sandbox& sandbox) {
    QStringList commands;
    for (const StubCall& call : sandbox.calls("/bin/zsh"))
        commands << call.arguments.mid(1).join(QLatin1Char(' '));
    return commands;
}

inline SystemProfile profileOn(Architecture architecture) {
    SystemProfile profile;
    profile.architecture = architecture;
    return profile;
}

} // namespace qlan::test
