#pragma once
// The state of the ~/.zprofile sheet: the preview of the Java configuration block (JAVA_HOME and the
// PATH line), made off the GUI thread; the write with its backup when the user applies it; and how
// the sheet ends. Exactly one terminal usage event is sent per sheet, by whichever of apply, cancel and
// "already set" comes first; `finished` is emitted on every press of a finishing button.
//
// A close of the sheet (Esc, the close control) is a Cancel until the write has ended; afterwards it
// reports what ended, exactly as the button then shown would: a written file is never turned into a
// cancel. A close or a Cancel while the write runs is answered once it has ended; one while apply waits
// for another program's hold on ~/.zprofile ends that wait at once and cancels, writing nothing.
//
// Apply runs on a job thread of its own (runEditOffThread), like the preview off the GUI thread: the
// window never waits for the file's edit lock or the write, and `waitingNotice` says while it waits. Once
// it holds the lock it looks at the file again, under the same hold as the write (applyUnlessChanged):
// when it changed since the preview (also by the program that apply waited for), nothing is written and
// the preview is remade from the file as it is now, with a notice, so that the user reviews the change.

#include "platform/FileSystemOperating.h"
#include "progress/DiffRows.h"
#include "progress/RemediationOutcome.h"
#include "progress/RemediationTerminalEvent.h"
#include "remediation/FileAppendWriter.h"

#include <QObject>

#include <memory>
#include <optional>
#include <stop_token>

namespace qlan {

class ZprofileDiffModel : public QObject {
    Q_OBJECT
public:
    // What the sheet shows as its content.
    enum class Content { loading, loadFailed, alreadySet, diff };
    // Which buttons it offers (the first that applies, in this order).
    enum class Buttons {
        closeAfterFailure,  // the write failed: "Close" reports the failure
        continueAfterApply, // the write succeeded: "Continue to verify"
        cancelOrContinue,   // already set: "Cancel" and "Continue to verify"
        cancelOrApply,      // the diff: "Cancel" and "Apply"
        cancelOnly,         // loading or load failed: "Cancel"
    };

    ZprofileDiffModel(Remediation remediation, std::shared_ptr<FileSystemOperating> fs,
                      RemediationTerminalEvent::Sink telemetry, QObject* parent = nullptr);
    ~ZprofileDiffModel() override;

    const Remediation& remediation() const { return remediation_; }
    const std::optional<FileAppendWriter::DiffPreview>& preview() const { return preview_; }
    const std::optional<QString>& loadError() const { return loadError_; }
    const std::optional<QString>& applyError() const { return applyError_; }
    // Set when apply found the file changed since the preview and remade it.
    const std::optional<QString>& changedNotice() const { return changedNotice_; }
    bool didApply() const { return didApply_; }
    // Apply was pressed and the write has not ended yet.
    bool isApplying() const { return applying_; }
    // Set while apply waits for another program that holds ~/.zprofile; Cancel then ends the wait.
    const std::optional<QString>& waitingNotice() const { return waitingNotice_; }
    bool showFullFile() const { return showFullFile_; }
    bool didEmitTerminalEvent() const { return terminal_.didEmit(); }

    Content content() const;
    Buttons buttons() const;
    QList<DiffRow> rows() const;

    // Makes the preview (with the PATH line) off the GUI thread; nothing when one is loaded or loading.
    void loadPreview();
    void setShowFullFile(bool fullFile);

    // The button actions.
    void apply(); // the result arrives later, through `changed`
    void cancel();
    void finishAlreadySet();
    void continueAfterApply();
    void closeAfterFailure();
    // Any close of the sheet.
    void close();

    static QString alreadySetMessage() { return QStringLiteral("JAVA_HOME already set in ~/.zprofile."); }
    static QString appliedMessage() { return QStringLiteral("JAVA_HOME set in ~/.zprofile."); }

signals:
    void changed();
    void finished(const qlan::RemediationOutcome& outcome);

private:
    void finish(const RemediationOutcome& outcome);

    Remediation remediation_;
    std::shared_ptr<FileSystemOperating> fs_;
    RemediationTerminalEvent terminal_;
    std::optional<FileAppendWriter::DiffPreview> preview_;
    std::optional<QString> loadError_;
    std::optional<QString> applyError_;
    std::optional<QString> changedNotice_;
    std::optional<QString> waitingNotice_;
    bool didApply_ = false;
    bool showFullFile_ = false;
    bool loading_ = false;
    bool applying_ = false;
    bool closeAfterApply_ = false; // a close or Cancel came while the write ran
    bool canceled_ = false;
    std::stop_source load_;
    std::stop_source apply_;
};

} // namespace qlan
