#include "progress/ZshrcActivationPreview.h"

#include "platform/PlatformError.h"
#include "platform/ProbeSupport.h"
#include "remediation/EditGate.h"

#include <utility>

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

ZshrcActivationPreview::~ZshrcActivationPreview() {
    apply_.request_stop(); // a wait for another program ends with the screen
}

void ZshrcActivationPreview::apply() {
    if (!isPending() || applying_) return;
    applying_ = true;
    emit changed();
    // What the write ended with: the proposal remade from a file that changed since (nothing written),
    // the reason of a failure, a stop (nothing written), or none of these (written).
    struct Written {
        std::optional<FileAppendWriter::DiffPreview> remade;
        bool changed = false;
        std::optional<QString> error;
        bool stopped = false;
    };
    apply_ = runEditOffThread(
        this,
        [fs = fs_, preview = *preview_, title = title_, manager = manager_](std::stop_token) -> Written {
            const FileAppendWriter target(preview.path, fs);
            try {
                const std::optional<FileAppendWriter::DiffPreview> fresh =
                    applyUnlessChanged(target, preview, [&] {
                        return target.makePreview(preview.linesAdded.mid(1), title, {});
                    });
                if (!fresh) return {};
                // Changed since the preview: the lines still missing from the file as it is now.
                const QStringList lines =
                    manager ? activationLines(*manager, fresh->originalContents) : preview.linesAdded.mid(1);
                Written written{std::nullopt, true, std::nullopt, false};
                if (!lines.isEmpty()) written.remade = target.makePreview(lines, title, {});
                return written;
            } catch (const EditStoppedError&) {
                return {std::nullopt, false, std::nullopt, true};
            } catch (const std::exception& error) {
                return {std::nullopt, false, errorDescription(error), false};
            }
        },
        [this](const QString& line) { emit lineAppended(line); },
        [this](Written written) {
            applying_ = false;
            if (written.changed) {
                preview_ = std::move(written.remade);
                error_ = changedSincePreviewError();
            } else if (written.error) {
                error_ = std::move(written.error);
            } else if (!written.stopped) {
                applied_ = true;
                emit lineAppended(updatedLine(*preview_));
            }
            if (std::exchange(skipAfterApply_, false) && !applied_ && preview_) {
                skip();
                return;
            }
            emit changed();
        });
}

void ZshrcActivationPreview::skip() {
    if (!preview_) return;
    if (applying_) {
        // Skip ends a wait for another program at once; a write under way is whole first.
        skipAfterApply_ = true;
        apply_.request_stop();
        return;
    }
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
