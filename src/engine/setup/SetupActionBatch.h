#pragma once
// One batch of fixes of the guided setup, run in order through the remediation runner: what the action
// sheet shows and reports. It keeps every output line as it arrived (a very long one cut), skips the language
// installs through mise when mise itself failed earlier in the batch, goes on after a failure only when asked
// to, hands the GitHub sign-in's address and one-time code to the desktop, sends the usage events of every
// step, and ends with an exit code (0, or the first failure's) or as canceled. How the sheet that shows it
// ended is reported once, through `finished`.
//
// Lives on the GUI thread; the jobs run on their own threads and their events come back here through
// queued delivery. Cancelling, or destroying the batch, ends the stream of the running job, which stops
// the job and kills its children; nothing that arrives later is looked at.

#include "catalog/SetupRemediation.h"
#include "catalog/SpineRenderPolicy.h"
#include "remediation/SetupRemediationRunner.h"
#include "setup/SetupActionOutcome.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <optional>

namespace qlan {

class TelemetryService;
struct ProductConfig;
struct TelemetryEvent;

class SetupActionBatch : public QObject {
    Q_OBJECT
public:
    using Event = StreamEvent;
    using Events = JobEvents;
    // Starts one fix's job, as SetupRemediationRunner::run does.
    using RunRemediation = std::function<Events(const SetupRemediation& remediation, const QString& reason)>;

    // What the batch asks of the desktop for the GitHub sign-in.
    struct Desktop {
        std::function<void(const QString& code)> copyToPasteboard;
        std::function<void(const QUrl& url)> openURL;
    };

    // The password prompts give `edition`'s reasons. Events go to `telemetry`, which must outlive the batch.
    SetupActionBatch(QList<SetupRemediation> remediations, bool continuesPastFailure, RunRemediation run,
                     const ProductConfig& edition, TelemetryService& telemetry, QObject* parent = nullptr);
    ~SetupActionBatch() override;

    // The jobs of a real runner.
    static RunRemediation runWith(SetupRemediationRunner runner);

    Desktop desktop;
    // The user whose folder the PATH repair event writes as "/Users/~/"; this process's user by default.
    QString loginName;

    // Starts the first fix. Only the first call counts.
    void start();
    // Stops the batch: the running job is stopped and nothing more starts; the fix that was running sends
    // no event. Harmless once the batch has ended.
    void cancel();
    // Reports how the sheet ended through `finished`, once: later calls report nothing.
    void finish(SetupActionOutcome outcome);
    bool hasFinished() const { return finished_; }

    bool hasStarted() const { return started_; }
    // Ended: an exit code is set, or the batch was canceled.
    bool hasEnded() const { return exitCode_.has_value() || canceled_; }
    // Every output line as it arrived (with the batch's own lines), never filtered; a very long one is
    // kept cut, as OutputLineLimit shows it.
    const QStringList& lines() const { return lines_; }
    // Set once when the batch ends normally: 0, or the first non-zero exit code.
    std::optional<std::int32_t> exitCode() const { return exitCode_; }
    // The user cancelled, or a job reported that it was canceled.
    bool isCanceled() const { return canceled_; }
    const QList<SetupRemediation>& remediations() const { return remediations_; }

    // What "Continue" reports: canceled, else success for exit code 0, else failure (also while running).
    SetupActionOutcome continueOutcome() const;

    // ---- The rules, for the sheet and its tests ----
    // The password prompt's reason while a batch runs: the edition's own, else its display name.
    static QString defaultReason(const ProductConfig& edition);
    // The reason for one fix: the policy's entry for its id, else the default.
    static QString reason(const SpineRenderPolicy& policy, const SetupRemediation& remediation,
                          const QString& defaultReason);
    // A mise-based language install that cannot run once mise failed in the same batch.
    static bool needsMise(const SetupRemediation& remediation);
    static QString skipLine(const SetupRemediation& remediation);
    static QString browserLine(const std::optional<QString>& code);
    // The extra event of a Claude fix that ended with 0; none for every other case.
    static std::optional<TelemetryEvent> claudeDetailEvent(const SetupRemediation& remediation,
                                                           std::int32_t exitCode, const QString& loginName);

signals:
    // Lines were added to `lines()`.
    void linesAppended();
    // The batch has ended (see hasEnded).
    void ended();
    // How the sheet ended (see finish).
    void finished(qlan::SetupActionOutcome outcome);

private:
    void runNext();
    void handle(const Event& event);
    void stepEnded();
    void finishWith(std::int32_t exitCode);
    void append(const QString& line, qint64 omitted = 0);

    const QList<SetupRemediation> remediations_;
    const bool continuesPastFailure_;
    const RunRemediation run_;
    TelemetryService& telemetry_;
    const SpineRenderPolicy policy_;
    const QString defaultReason_;

    QStringList lines_;
    std::optional<std::int32_t> exitCode_;
    bool canceled_ = false;
    bool started_ = false;
    bool finished_ = false;

    // This run only.
    qsizetype index_ = 0;
    QSet<QString> failed_;
    std::int32_t firstFailure_ = 0;
    std::int32_t stepExitCode_ = -1;
    bool stepCanceled_ = false;
    QPointer<QObject> step_; // owns the running job's stream
};

} // namespace qlan
