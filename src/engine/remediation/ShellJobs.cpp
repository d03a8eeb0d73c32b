// The jobs that edit the shell startup files and the agents' instruction files.

#include "remediation/RemediationJobs.h"

#include "platform/PlatformError.h"
#include "platform/ProbeSupport.h"
#include "remediation/AgentEnvDoc.h"
#include "remediation/FileAppendWriter.h"
#include "remediation/ShellConfigurator.h"

namespace qlan::jobs {
namespace {

// A directory as it goes inside double quotes in ~/.zprofile: backslash, double quote, backtick and
// dollar sign each escaped with a backslash (the backslash first).
QString doubleQuoteEscaped(QString text) {
    for (const QChar special : {u'\\', u'"', u'`', u'$'})
        text.replace(special, QStringLiteral("\\") + special);
    return text;
}

QString zprofilePath(const Runner& runner) {
    return probing::appendingPath(runner.fs->homeDirectory(), QStringLiteral(".zprofile"));
}

// Appends one block to ~/.zprofile and reports it; an error becomes "Couldn't update ~/.zprofile: …"
// and completed(1).
void appendToZprofile(const Runner& runner, const Output& out, const QString& line, const QString& title,
                      const QString& needle,
                      const std::function<QString(const FileAppendWriter::DiffPreview&)>& message) {
    try {
        const FileAppendWriter writer(zprofilePath(runner), runner.fs);
        out.line(message(writer.append(line, title, needle, true)));
    } catch (const std::exception& error) {
        out.line(QStringLiteral("Couldn't update ~/.zprofile: ") + errorDescription(error));
        out.completed(1);
        return;
    }
    out.completed(0);
}

// A writer's messages as lines, then 0 when it succeeded and 1 otherwise.
template <typename Result> void runWriterStep(const Output& out, const Result& result) {
    out.lines(result.messages);
    out.completed(result.succeeded ? 0 : 1);
}

} // namespace

Events repairPath(const Runner& runner, const QString& directory) {
    return Runner::fileJob([runner, directory](const Output& out) {
        const QString escaped = doubleQuoteEscaped(directory);
        // "Already there" is an active line holding the escaped directory, the same test the probes use.
        appendToZprofile(
            runner, out, QStringLiteral("export PATH=\"") + escaped + QStringLiteral(":$PATH\""),
            QStringLiteral("Claude Code PATH"), escaped, [&](const FileAppendWriter::DiffPreview& preview) {
                return preview.alreadySet
                           ? QStringLiteral("`%1` is already on your PATH in ~/.zprofile — nothing to do.")
                                 .arg(directory)
                           : QStringLiteral("Added `%1` to your PATH in ~/.zprofile (backup at %2).")
                                 .arg(directory, preview.backupPath);
            });
    });
}

Events repairHomebrewPath(const Runner& runner) {
    return Runner::fileJob([runner](const Output& out) {
        QString brew;
        for (const QString& candidate : Runner::brewLocations()) {
            if (probing::exists(runner.fs.get(), candidate, nullptr)) {
                brew = candidate;
                break;
            }
        }
        if (brew.isEmpty()) {
            out.line(QStringLiteral("Homebrew isn't installed yet — nothing to repair."));
            out.completed(1);
            return;
        }
        appendToZprofile(
            runner, out, QStringLiteral("eval \"$(") + brew + QStringLiteral(" shellenv)\""),
            QStringLiteral("Homebrew shellenv"), QStringLiteral("brew shellenv"),
            [](const FileAppendWriter::DiffPreview& preview) {
                return preview.alreadySet
                           ? QStringLiteral("Homebrew's shellenv is already active in ~/.zprofile — "
                                            "re-checking in a fresh shell.")
                           : QStringLiteral("Added Homebrew to your PATH in ~/.zprofile (backup at %1).")
                                 .arg(preview.backupPath);
            });
    });
}

Events configureShell(const Runner& runner) {
    return Runner::fileJob(
        [runner](const Output& out) { runWriterStep(out, ShellConfigurator(runner.fs).configure()); });
}

Events documentEnvironment(const Runner& runner) {
    return Runner::fileJob(
        [runner](const Output& out) { runWriterStep(out, AgentEnvDoc(runner.fs).document()); });
}

} // namespace qlan::jobs
