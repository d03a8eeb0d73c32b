#pragma once
// The state of the streaming remediation screen: carries out one Remediation (every fix except the two
// ~/.zprofile ones) as a job, or a chain of two, whose output lines arrive on the GUI thread; decides
// which bottom row the screen shows; offers the ~/.zshrc activation proposal after the mise and jEnv
// jobs; sends exactly one terminal usage event; and reports how the screen ended through `finished`
// (queued, at most once).
//
// The fix runs as one job of remediation/RemediationJobs.h (a chain such as Homebrew, then a cask, is one
// job), whose events arrive on the GUI thread in slices: lines, then its exit status or its cancel.
// What the user is offered follows from those once the job has ended, and a run that ended with
// neither a status nor a cancel shows as a failure with -1.

#include "platform/AppServices.h"
#include "progress/RemediationOutcome.h"
#include "progress/RemediationTerminalEvent.h"
#include "remediation/SetupRemediationRunner.h"

#include <QObject>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace qlan {

class ZshrcActivationPreview;

class StreamingRemediationModel : public QObject {
    Q_OBJECT
public:
    enum class BottomRow { running, canceling, succeededChangePending, succeeded, failed };

    // Where the jobs fetch from (tests point them at the sandbox and loopback servers).
    using Sources = SetupRemediationRunner::Sources;

    StreamingRemediationModel(Remediation remediation, AppServices services,
                              RemediationTerminalEvent::Sink telemetry, Sources sources = Sources(),
                              QObject* parent = nullptr);
    ~StreamingRemediationModel() override;

    const Remediation& remediation() const { return remediation_; }
    // The output lines in arrival order, a very long one cut as OutputLineLimit shows it.
    const QStringList& lines() const { return lines_; }
    std::optional<std::int32_t> exitCode() const { return exitCode_; }
    bool canceledByUser() const { return canceledByUser_; }
    bool isRunning() const { return running_; }
    bool didEmitTerminalEvent() const { return terminal_.didEmit(); }
    bool isFinished() const { return finished_; }
    ZshrcActivationPreview* zshrc() const { return zshrc_; }
    BottomRow bottomRow() const;

    // Starts the job; only the first call counts, and none after a cancel.
    void start();

    // The actions of the screen.
    void cancel(); // "Cancel"
    // A close of the sheet by its close control: a Cancel while the job runs; once it has ended, what the
    // finish button or "Close" reports. A success is never turned into a cancel: a ~/.zshrc change that
    // waits is skipped first (its line, nothing written), then the success is reported.
    void close();
    // Esc: while a ~/.zshrc change waits, Skip (the sheet stays, on its finish button); otherwise as
    // close().
    void escape();
    void applyZshrc();
    void skipZshrc();
    void finishWithSuccess();
    void finishWithFailure();

    // The texts of a case.
    static QString title(const Remediation& remediation);
    static QString subtitle(const Remediation& remediation);
    static QString finishLabel(const Remediation& remediation);
    static QString successMessage(const Remediation& remediation);
    // Inline Markdown naming the exit status and linking the troubleshooting article.
    static QString failureText(std::int32_t exitCode);
    // The row of the cask recovery's reinstall notice carries its own identifier.
    static bool isRetryLine(const QString& line);
    static QString outputRowIdentifier(const QString& line);
    static inline const QString temurinPrompt =
        QStringLiteral("Enter Mac password to install Temurin to /Library/Java/JavaVirtualMachines/");

signals:
    // `count` lines were appended at index `first`.
    void linesAppended(qsizetype first, qsizetype count);
    void stateChanged();
    void finished(const qlan::RemediationOutcome& outcome);

private:
    // The job of the fix; none for the two ~/.zprofile fixes (the ~/.zprofile sheet's).
    std::optional<JobEvents> job() const;
    void take(StreamEvent event);
    void endOfRun();
    void emitTerminalEvent();
    void finish(const RemediationOutcome& outcome);

    void appendLine(const QString& line);
    // Adds a line to `lines` without announcing it yet; a very long one is kept cut (OutputLineLimit).
    void keepLine(const QString& line, qint64 omitted = 0);
    void flushLines();

    Remediation remediation_;
    AppServices services_;
    Sources sources_;
    RemediationTerminalEvent terminal_;
    ZshrcActivationPreview* zshrc_;
    QStringList lines_;
    qsizetype shownLines_ = 0; // lines already announced through linesAppended
    std::optional<std::int32_t> exitCode_;
    bool canceledByUser_ = false;
    QObject* delivery_ = nullptr; // owns the running job's stream
    bool started_ = false;
    bool running_ = false;
    bool finished_ = false;
};

} // namespace qlan
