#pragma once
// A stub login shell: "/bin/zsh" played by a script that answers given command lines.

#include "support/Sandbox.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace qlan::test {

// One answer of a stub login shell: the command line it is given after "-lc", what it prints and its status,
// given only once no file stands at `heldWhile` (a path of the sandboxed Mac; none: at once), a gate the test
// opens by removing that file.
struct ShellAnswer {
    QString command;
    QString output;
    int exitCode = 0;
    QString heldWhile = {};
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
        const QString wait = answers[i].heldWhile.isEmpty()
                                 ? QString()
                                 : QStringLiteral("while [ -e '%1' ]; do /bin/sleep 0.02; done; ")
                                       .arg(sandbox.map(answers[i].heldWhile));
        script += QStringLiteral("  '%1') %2/bin/cat '%3'; exit %4;;\n")
                      .arg(pattern, wait, sandbox.map(file))
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

} // namespace qlan::test
