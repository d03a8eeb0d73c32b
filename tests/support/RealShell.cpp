#include "support/RealShell.h"

#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <stdexcept>

namespace qlan::test {
namespace {

// Read first, through ZDOTDIR = <root>/.sandbox/zsh: the sandbox's programs as functions named by their
// Mac paths, then the user's own files from the home folder.
const char* const kSandboxZshenv = R"(# Written by the test sandbox.
() {
    setopt localoptions extendedglob
    local root=${ZDOTDIR:h:h} program
    for program in $root/^(.sandbox|Users)/**/*(N-*); do
        functions[${program#$root}]="${(q)program} \"\$@\""
    done
}
unset ZDOTDIR
[[ -f $HOME/.zshenv ]] && source $HOME/.zshenv
)";

// Printed before the environment, so that whatever the startup files print is left out.
constexpr char kEnvironmentMark[] = "\0__qlan_environment__\0";

} // namespace

ShellStartup startZsh(const Sandbox& sandbox, ZshStart start) {
    const QString zsh = QStandardPaths::findExecutable(QStringLiteral("zsh"));
    if (zsh.isEmpty()) throw std::runtime_error("this machine has no zsh");
    const QString dotDir = sandbox.root() + QStringLiteral("/.sandbox/zsh");
    QDir().mkpath(dotDir);
    QFile zshenv(dotDir + QStringLiteral("/.zshenv"));
    if (!zshenv.open(QIODevice::WriteOnly | QIODevice::Truncate) || zshenv.write(kSandboxZshenv) < 0)
        throw std::runtime_error("cannot write " + zshenv.fileName().toStdString());
    zshenv.close();

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), sandbox.home());
    environment.insert(QStringLiteral("ZDOTDIR"), dotDir);
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin:/usr/sbin:/sbin"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    QProcess shell;
    shell.setProcessEnvironment(environment);
    shell.setWorkingDirectory(sandbox.home());
    shell.setStandardInputFile(QProcess::nullDevice());
    QStringList arguments{QStringLiteral("-l")};
    if (start == ZshStart::Terminal) arguments << QStringLiteral("-i");
    arguments << QStringLiteral("-c")
              << QStringLiteral("print -rn -- $'\\0'__qlan_environment__$'\\0'; command /usr/bin/env -0");
    shell.start(zsh, arguments);
    if (!shell.waitForFinished(patienceMs)) {
        shell.kill();
        shell.waitForFinished();
        throw std::runtime_error("zsh did not end in time");
    }

    ShellStartup result;
    result.exitCode = shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
    result.stdErr = QString::fromUtf8(shell.readAllStandardError());
    const QByteArray out = shell.readAllStandardOutput();
    const QByteArray mark(kEnvironmentMark, sizeof kEnvironmentMark - 1);
    const qsizetype at = out.lastIndexOf(mark);
    if (at < 0) return result;
    for (const QByteArray& item : out.mid(at + mark.size()).split('\0')) {
        const qsizetype equals = item.indexOf('=');
        if (equals > 0)
            result.environment.insert(QString::fromUtf8(item.left(equals)),
                                      QString::fromUtf8(item.mid(equals + 1)));
    }
    for (const QString& entry : result.environment.value(QStringLiteral("PATH")).split(QLatin1Char(':')))
        result.path << (sandbox.layout().contains(entry) && entry != sandbox.root()
                            ? entry.mid(sandbox.root().size())
                            : entry);
    return result;
}

} // namespace qlan::test
