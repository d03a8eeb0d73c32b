#include "remediation/ShellConfigurator.h"

#include "platform/PlatformError.h"
#include "platform/ProbeSupport.h"
#include "remediation/FileAppendWriter.h"
#include "remediation/FileEditLock.h"

#include <functional>

namespace qlan {
namespace {

// The first line of a blank startup file.
QString zprofileHeader() {
    return QStringLiteral("# ~/.zprofile — PATH + environment, loaded once per login shell");
}
QString zshrcHeader() {
    return QStringLiteral("# ~/.zshrc — aliases, completions, prompt (interactive shells)");
}

QStringList zshrcBlock() {
    return {
        QStringLiteral("if type brew >/dev/null 2>&1; then"),
        QStringLiteral("  FPATH=\"$(brew --prefix)/share/zsh/site-functions:$FPATH\""),
        QStringLiteral("fi"),
        QStringLiteral("autoload -Uz compinit && compinit"),
        QStringLiteral("[ -f \"$HOME/.env\" ] && set -a && source \"$HOME/.env\" && set +a"),
    };
}

QString envTemplate() {
    return QStringLiteral(
        "# ~/.env — API keys for MCP servers and CLIs (sourced by ~/.zshrc). Fill in real values.\n"
        "# Uncomment a line and paste your own value.\n"
        "# export ANTHROPIC_API_KEY=...\n"
        "# export OPENAI_API_KEY=...\n"
        "# Example vendor-specific MCP key (rename per server):\n"
        "# export BRAVE_API_KEY=...\n");
}

// The wording of one block step: its failure prefix, its "already there" text and its success text
// (given the backup's path).
struct StepWording {
    QString failurePrefix;
    QString alreadySet;
    std::function<QString(const QString& backupPath)> done;
};

// Previews and applies one block; returns its message and whether it worked.
std::pair<QString, bool> addBlock(const std::shared_ptr<FileSystemOperating>& fs, const QString& path,
                                  const QStringList& lines, const QString& title,
                                  const FileAppendWriter::PresenceTest& isPresent,
                                  const StepWording& wording) {
    try {
        const FileAppendWriter::DiffPreview preview =
            FileAppendWriter(path, fs).appendBlock(lines, title, isPresent);
        return {preview.alreadySet ? wording.alreadySet : wording.done(preview.backupPath), true};
    } catch (const std::exception& error) {
        return {wording.failurePrefix + errorDescription(error), false};
    }
}

// The plain presence test of the tool steps.
FileAppendWriter::PresenceTest contains(const QString& needle) {
    return [needle](const QString& text) { return FileAppendWriter::containsText(text, needle); };
}
FileAppendWriter::PresenceTest activeLine(const QString& needle) {
    return [needle](const QString& text) { return FileAppendWriter::hasActiveLine(text, needle); };
}

// The wording of a tool step: "<subject> is already set — nothing to do." and "Configured <subject>."
StepWording toolWording(const QString& failurePrefix, const QString& subject) {
    return {failurePrefix, subject + QStringLiteral(" is already set — nothing to do."),
            [subject](const QString&) { return QStringLiteral("Configured ") + subject + QLatin1Char('.'); }};
}

// The wording of a configure step for "~/.zprofile" or "~/.zshrc".
StepWording fileWording(const QString& shown) {
    return {QStringLiteral("Couldn't update %1: ").arg(shown),
            QStringLiteral("%1 is already configured — nothing to do.").arg(shown),
            [shown](const QString& backup) {
                return QStringLiteral("Configured %1 (backup at %2).").arg(shown, backup);
            }};
}

} // namespace

QString ShellConfigurator::zprofilePath() const {
    return SetupFileState(fs).zprofilePath();
}

QString ShellConfigurator::zshrcPath() const {
    return SetupFileState(fs).zshrcPath();
}

QString ShellConfigurator::envPath() const {
    return SetupFileState(fs).envPath();
}

bool ShellConfigurator::status() const {
    return SetupFileState(fs).shellConfigured();
}

ShellConfigurator::Result ShellConfigurator::configure() const {
    Result result;
    const auto record = [&](const std::pair<QString, bool>& step) {
        result.messages << step.first;
        result.succeeded = result.succeeded && step.second;
    };
    // "Already configured" is decided by the same active lines that `status` looks for, so a fix that
    // reports success is never offered again.
    ensureHeader(zprofilePath(), zprofileHeader());
    record(addBlock(fs, zprofilePath(), {zprofileNeedle}, QStringLiteral("shell environment"),
                    activeLine(zprofileNeedle), fileWording(QStringLiteral("~/.zprofile"))));
    ensureHeader(zshrcPath(), zshrcHeader());
    record(addBlock(fs, zshrcPath(), zshrcBlock(), QStringLiteral("interactive shell"),
                    activeLine(zshrcNeedle), fileWording(QStringLiteral("~/.zshrc"))));
    createEnvFile(result);
    if (result.succeeded)
        result.messages << QStringLiteral(
            "Shell configuration complete. Open a new terminal for the changes to take effect.");
    return result;
}

void ShellConfigurator::ensureHeader(const QString& path, const QString& header) const {
    try {
        const FileEditLock lock(*fs, path);
        const bool existed = fs->fileExists(path);
        const QString text = existed ? fs->readString(path) : QString();
        FileWriteOptions options;
        options.onlyIfUnchanged = {existed, text.toUtf8()};
        if (text.trimmed().isEmpty()) fs->writeFile((header + QLatin1Char('\n')).toUtf8(), path, options);
    } catch (const std::exception&) {
        // Unreadable files are left alone (the block step reports them); a failed header write is not
        // reported by itself either.
    }
}

void ShellConfigurator::createEnvFile(Result& result) const {
    if (probing::exists(fs.get(), envPath(), nullptr)) {
        result.messages << QStringLiteral(
            "~/.env already exists — leaving it untouched (add keys there yourself).");
        return;
    }
    try {
        // Private from its first byte: the keys go here. Never over a file made meanwhile.
        FileWriteOptions options;
        options.permissions = 0600;
        options.onlyIfUnchanged = FileWriteOptions::Contents{};
        fs->writeFile(envTemplate().toUtf8(), envPath(), options);
    } catch (const std::exception& error) {
        result.messages << QStringLiteral("Couldn't create ~/.env: ") + errorDescription(error);
        result.succeeded = false;
        return;
    }
    result.messages << QStringLiteral(
        "Created ~/.env (permissions 600) with commented placeholders — add your API keys there.");
}

QStringList ShellConfigurator::addUvPath(std::stop_token stop) const {
    if (stop.stop_requested()) return {};
    return {addBlock(fs, zprofilePath(), {QStringLiteral("export PATH=\"$HOME/.local/bin:$PATH\"")},
                     QStringLiteral("uv PATH"), contains(QStringLiteral("HOME/.local/bin")),
                     toolWording(QStringLiteral("Couldn't configure uv on PATH (~/.zprofile): "),
                                 QStringLiteral("uv on PATH (~/.zprofile)")))
                .first};
}

QStringList ShellConfigurator::addMiseActivation(std::stop_token stop) const {
    QStringList messages;
    if (stop.stop_requested()) return messages;
    messages << addBlock(fs, zprofilePath(),
                         {QStringLiteral(
                             "command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh --shims)\"")},
                         QStringLiteral("mise (login shims)"),
                         contains(QStringLiteral("mise activate zsh --shims")),
                         toolWording(QStringLiteral("Couldn't configure mise shims (~/.zprofile): "),
                                     QStringLiteral("mise shims (~/.zprofile)")))
                    .first;
    // A job stopped during the first edit leaves ~/.zshrc alone.
    if (stop.stop_requested()) return messages;
    // The closing parenthesis keeps the login-shim line from counting as the interactive activation.
    messages << addBlock(fs, zshrcPath(),
                         {QStringLiteral("command -v mise >/dev/null 2>&1 && eval \"$(mise activate zsh)\"")},
                         QStringLiteral("mise (interactive)"), contains(QStringLiteral("mise activate zsh)")),
                         toolWording(QStringLiteral("Couldn't configure mise activate (~/.zshrc): "),
                                     QStringLiteral("mise activate (~/.zshrc)")))
                    .first;
    return messages;
}

QStringList ShellConfigurator::addCargoPath(std::stop_token stop) const {
    if (stop.stop_requested()) return {};
    return {addBlock(fs, zprofilePath(), {QStringLiteral("export PATH=\"$HOME/.cargo/bin:$PATH\"")},
                     QStringLiteral("rustup PATH"), contains(QStringLiteral("HOME/.cargo/bin")),
                     toolWording(QStringLiteral("Couldn't configure Rust (cargo) on PATH (~/.zprofile): "),
                                 QStringLiteral("Rust (cargo) on PATH (~/.zprofile)")))
                .first};
}

} // namespace qlan
