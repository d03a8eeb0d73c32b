#include "progress/ZprofileDiffModel.h"

#include "platform/PlatformError.h"
#include "platform/Worker.h"
#include "remediation/EditGate.h"
#include "remediation/ZprofileWriter.h"

#include <utility>
#include <variant>

namespace qlan {

namespace {

// The block always carries the PATH line on this sheet.
constexpr bool kIncludePath = true;

QString changedSincePreviewNotice() {
    return QStringLiteral("~/.zprofile changed since this preview was made, so nothing was written. The "
                          "change below is based on the file as it is now — review it, then apply.");
}

} // namespace

ZprofileDiffModel::ZprofileDiffModel(Remediation remediation, std::shared_ptr<FileSystemOperating> fs,
                                     RemediationTerminalEvent::Sink telemetry, QObject* parent)
    : QObject(parent)
    , remediation_(remediation)
    , fs_(std::move(fs))
    , terminal_(std::move(remediation), std::move(telemetry)) {}

ZprofileDiffModel::~ZprofileDiffModel() {
    load_.request_stop();
    apply_.request_stop();
}

ZprofileDiffModel::Content ZprofileDiffModel::content() const {
    if (!preview_) return loadError_ ? Content::loadFailed : Content::loading;
    return preview_->alreadySet ? Content::alreadySet : Content::diff;
}

ZprofileDiffModel::Buttons ZprofileDiffModel::buttons() const {
    if (applyError_) return Buttons::closeAfterFailure;
    if (didApply_) return Buttons::continueAfterApply;
    if (!preview_) return Buttons::cancelOnly;
    return preview_->alreadySet ? Buttons::cancelOrContinue : Buttons::cancelOrApply;
}

QList<DiffRow> ZprofileDiffModel::rows() const {
    return preview_ ? diffRows(*preview_, showFullFile_) : QList<DiffRow>{};
}

void ZprofileDiffModel::loadPreview() {
    if (preview_ || loading_ || canceled_) return;
    loading_ = true;
    loadError_.reset();
    using Result = std::variant<FileAppendWriter::DiffPreview, QString>;
    load_ = runOffThread(
        this,
        [fs = fs_]() -> Result {
            try {
                return ZprofileWriter::forHome(fs).preview(kIncludePath);
            } catch (const std::exception& error) {
                return QStringLiteral("Couldn't read ~/.zprofile: ") + errorDescription(error);
            }
        },
        [this](Result result) {
            loading_ = false;
            if (canceled_) return;
            if (auto* preview = std::get_if<FileAppendWriter::DiffPreview>(&result))
                preview_ = *preview;
            else
                loadError_ = std::get<QString>(result);
            emit changed();
        });
}

void ZprofileDiffModel::setShowFullFile(bool fullFile) {
    if (showFullFile_ == fullFile) return;
    showFullFile_ = fullFile;
    emit changed();
}

void ZprofileDiffModel::apply() {
    if (buttons() != Buttons::cancelOrApply || applying_) return;
    applying_ = true;
    emit changed();
    // What the write ended with: the preview remade from a file that changed since (nothing written),
    // the reason of a failure, a stop, or none of these (written).
    struct Written {
        std::optional<FileAppendWriter::DiffPreview> remade;
        std::optional<QString> error;
        bool stopped = false; // a Cancel ended the wait for another program: nothing was written
    };
    apply_ = runEditOffThread(
        this,
        [fs = fs_, preview = *preview_](std::stop_token) -> Written {
            const ZprofileWriter writer = ZprofileWriter::forHome(fs);
            // An edit made since the preview, also by the program the apply waited for, must not be
            // overwritten unseen: show the change again instead.
            try {
                return {
                    applyUnlessChanged(writer.writer, preview, [&] { return writer.preview(kIncludePath); }),
                    std::nullopt, false};
            } catch (const EditStoppedError&) {
                return {std::nullopt, std::nullopt, true};
            } catch (const std::exception& error) {
                return {std::nullopt, errorDescription(error), false};
            }
        },
        [this](const QString& line) {
            if (!applying_) return;
            waitingNotice_ = line;
            emit changed();
        },
        [this](Written written) {
            applying_ = false;
            waitingNotice_.reset();
            if (written.remade) {
                preview_ = std::move(written.remade);
                changedNotice_ = changedSincePreviewNotice();
            } else if (written.error) {
                applyError_ = std::move(written.error);
                terminal_.failed(1, *applyError_);
            } else if (!written.stopped) {
                didApply_ = true;
                changedNotice_.reset();
                terminal_.completed(0);
            }
            emit changed();
            if (std::exchange(closeAfterApply_, false)) close();
        });
}

void ZprofileDiffModel::cancel() {
    if (applying_) {
        // A wait for another program ends at once, writing nothing; a write under way cannot be taken
        // back: what it ended with is reported.
        closeAfterApply_ = true;
        apply_.request_stop();
        return;
    }
    canceled_ = true;
    load_.request_stop();
    terminal_.canceled();
    finish(RemediationOutcome::canceled());
}

void ZprofileDiffModel::finishAlreadySet() {
    if (!preview_ || !preview_->alreadySet) return;
    terminal_.completed(0);
    finish(RemediationOutcome::success(alreadySetMessage()));
}

void ZprofileDiffModel::continueAfterApply() {
    if (!didApply_) return;
    finish(RemediationOutcome::success(appliedMessage()));
}

void ZprofileDiffModel::closeAfterFailure() {
    if (!applyError_) return;
    finish(RemediationOutcome::failure(*applyError_));
}

void ZprofileDiffModel::close() {
    switch (buttons()) {
    case Buttons::continueAfterApply:
        continueAfterApply();
        return;
    case Buttons::closeAfterFailure:
        closeAfterFailure();
        return;
    case Buttons::cancelOrContinue:
    case Buttons::cancelOrApply:
    case Buttons::cancelOnly:
        cancel();
        return;
    }
}

void ZprofileDiffModel::finish(const RemediationOutcome& outcome) {
    emit finished(outcome);
}

} // namespace qlan
