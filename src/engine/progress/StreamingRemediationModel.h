#pragma once
// The state of the streaming remediation screen: carries out one Remediation (every fix except the two
// ~/.zprofile ones) as a job, or a chain of two, whose output lines arrive on the GUI thread; decides
// which bottom row the screen shows; offers the ~/.zshrc activation proposal after the mise and jEnv
// jobs; sends exactly one terminal usage event; and reports how the screen ended through `finished`
// (queued, at most once).
//
// The runners only append lines and set the exit status and the cancel flag; what the user is offered
// follows from those once the whole run has returned. So a chain (Homebrew, then a cask) shows the
// running row until its last phase has ended, and a run that ended with neither a status nor a cancel
// shows as a failure with -1.

#include "platform/AppServices.h"
#include "progress/RemediationOutcome.h"
#include "progress/RemediationTerminalEvent.h"
#include "remediation/InstallSources.h"
#include "remediation/PKGInstaller.h"

#include <QObject>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace qlan {

class StreamTask;
class ZshrcActivationPreview;

// Where the jobs fetch from: the public sources in the application; tests point them at the sandbox and
// loopback servers.
struct StreamingRemediationSources {
    QString homebrewInstallScript = QString::fromLatin1(InstallSources::homebrewInstallScript);
    QString adoptiumBase = QString::fromLatin1(InstallSources::adoptiumAPIBase);
    QString architecture = QString::fromLatin1(InstallSources::adoptiumArchitecture);
    std::chrono::milliseconds brewRetryPause{2000};
};

class StreamingRemediationModel : public QObject {
    Q_OBJECT
public:
    enum class BottomRow { running, canceling, succeededChangePending, succeeded, failed };

    using Sources = StreamingRemediationSources;

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
    // Any close of the sheet (Esc, the close control): a Cancel while the job runs; once it has ended,
    // what the finish button or "Close" reports. A success is never turned into a cancel, not even
    // while a ~/.zshrc change waits (the change is then left unmade).
    void close();
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
    // The line a package-installer event adds to the output, if any.
    static std::optional<QString> pkgEventLine(const PKGInstaller::Event& event, int featureVersion);

    static inline const QString temurinPrompt =
        QStringLiteral("Enter Mac password to install Temurin to /Library/Java/JavaVirtualMachines/");

signals:
    // `count` lines were appended at index `first`.
    void linesAppended(qsizetype first, qsizetype count);
    void stateChanged();
    void finished(const qlan::RemediationOutcome& outcome);

private:
    using Step = std::function<void()>;

    void run(Step done);
    void endOfRun();
    void emitTerminalEvent();
    void finish(const RemediationOutcome& outcome);

    // The runners; each calls `done` once its job has ended.
    void runBrewInstall(const QString& cask, const QString& reason, Step done);
    void runSDKMAN(const QString& shownCommand, const QString& arguments, Step done);
    void runMise(const QString& version, bool install, Step done);
    void runPKGInstall(int featureVersion, Step done);
    void runPKGThenJEnv(int featureVersion, Step done);
    void runJEnvRegister(const QString& jdkPath, int majorVersion, Step done);
    void runHomebrewInstall(Step done);
    void runHomebrewThenCask(const QString& cask, const QString& reason, const QString& phaseLine, Step done);
    void registerWithJEnv(const QString& jdkPath, int majorVersion, Step done);

    void consumeRunnerEvents(Stream<StreamEvent> stream, Step done);
    void consumePKGEvents(Stream<PKGInstaller::Event> stream, int featureVersion,
                          std::function<void(std::int32_t)> done);
    StreamTask* newStreamTask();

    void appendLine(const QString& line);
    // Adds a line to `lines` without announcing it yet; a very long one is kept cut (OutputLineLimit).
    void keepLine(const QString& line);
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
    StreamTask* streamTask_ = nullptr;
    bool started_ = false;
    bool running_ = false;
    bool finished_ = false;
};

} // namespace qlan
