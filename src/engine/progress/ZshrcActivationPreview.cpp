#include "progress/ZshrcActivationPreview.h"

#include "platform/PlatformError.h"
#include "platform/ProbeSupport.h"

namespace qlan {

namespace {

QString changedSincePreviewError() {
    return QStringLiteral("~/.zshrc changed since this preview was made, so nothing was written. The lines "
                          "below were checked against the file as it is now — apply or skip them.");
}

} // namespace

ZshrcActivationPreview::ZshrcActivationPreview(std::shared_ptr<FileSystemOperating> fs, QObject* parent)
    : QObject(parent)
    , fs_(std::move(fs)) {}

QStringList ZshrcActivationPreview::activationLines(ShellActivationManager manager,
                                                    const QString& zshrcText) {
    QStringList lines;
    if (manager == ShellActivationManager::mise) {
        if (!FileAppendWriter::hasActiveLine(zshrcText, QStringLiteral("mise activate")))
            lines << QStringLiteral("eval \"$(mise activate zsh)\"");
        return lines;
    }
    if (!FileAppendWriter::hasActiveLine(zshrcText, QStringLiteral(".jenv/bin")))
        lines << QStringLiteral("export PATH=\"$HOME/.jenv/bin:$PATH\"");
    if (!FileAppendWriter::hasActiveLine(zshrcText, QStringLiteral("jenv init")))
        lines << QStringLiteral("eval \"$(jenv init -)\"");
    return lines;
}

QString ZshrcActivationPreview::blockTitle(ShellActivationManager manager) {
    return manager == ShellActivationManager::mise ? QStringLiteral("Mise activation")
                                                   : QStringLiteral("jEnv init");
}

QString ZshrcActivationPreview::zshrcPath() const {
    return probing::appendingPath(fs_->homeDirectory(), QStringLiteral(".zshrc"));
}

FileAppendWriter ZshrcActivationPreview::writer() const {
    return FileAppendWriter(zshrcPath(), fs_);
}

void ZshrcActivationPreview::prepare(const QStringList& lines, const QString& title) {
    if (lines.isEmpty()) return;
    title_ = title;
    try {
        // No presence test: the lines were chosen because they are missing.
        preview_ = writer().makePreview(lines, title, {});
        error_.reset();
    } catch (const std::exception& error) {
        preview_.reset();
        error_ = QStringLiteral("Couldn't read ~/.zshrc: ") + errorDescription(error);
        emit lineAppended(*error_); // no card without a proposal: the reason goes to the output
    }
    emit changed();
}

void ZshrcActivationPreview::prepare(ShellActivationManager manager) {
    manager_ = manager;
    const QString text = probing::readText(fs_.get(), zshrcPath()).value_or(QString());
    prepare(activationLines(manager, text), blockTitle(manager));
}

void ZshrcActivationPreview::apply() {
    if (!isPending()) return;
    const FileAppendWriter target(preview_->path, fs_);
    try {
        FileAppendWriter::DiffPreview fresh = target.makePreview(preview_->linesAdded.mid(1), title_, {});
        if (!madeFromSameText(fresh, *preview_)) {
            const QStringList lines =
                manager_ ? activationLines(*manager_, fresh.originalContents) : preview_->linesAdded.mid(1);
            if (lines.isEmpty())
                preview_.reset();
            else
                preview_ = target.makePreview(lines, title_, {});
            error_ = changedSincePreviewError();
            emit changed();
            return;
        }
    } catch (const std::exception&) {
        // The file can no longer be read: the write below refuses and reports why.
    }
    try {
        target.apply(*preview_);
        applied_ = true;
        emit lineAppended(updatedLine(*preview_));
    } catch (const std::exception& error) {
        error_ = errorDescription(error);
    }
    emit changed();
}

void ZshrcActivationPreview::skip() {
    if (!preview_) return;
    preview_.reset();
    error_.reset(); // a failed apply's reason goes with the proposal it was about
    emit lineAppended(skipLine());
    emit changed();
}

QList<DiffRow> ZshrcActivationPreview::rows() const {
    return preview_ ? diffRows(*preview_, false) : QList<DiffRow>{};
}

QString ZshrcActivationPreview::skipLine() {
    return QStringLiteral("Skipped ~/.zshrc edit. JAVA_HOME may stay unset in fresh shells until you add the "
                          "line manually.");
}

QString ZshrcActivationPreview::updatedLine(const FileAppendWriter::DiffPreview& preview) {
    return QStringLiteral("Updated ") + preview.path + QStringLiteral(". Backup at ") + preview.backupPath +
           QLatin1Char('.');
}

} // namespace qlan
