#include "progress/StreamingRemediationModel.h"

#include "editions/ProductConfig.h"
#include "progress/ZshrcActivationPreview.h"
#include "remediation/OutputLineLimit.h"
#include "remediation/RemediationJobs.h"
#include "remediation/SDKMANRunner.h"

namespace qlan {

using Kind = Remediation::Kind;

StreamingRemediationModel::StreamingRemediationModel(Remediation remediation, AppServices services,
                                                     RemediationTerminalEvent::Sink telemetry,
                                                     Sources sources, QObject* parent)
    : QObject(parent)
    , remediation_(std::move(remediation))
    , services_(std::move(services))
    , sources_(std::move(sources))
    , terminal_(remediation_, std::move(telemetry))
    , zshrc_(new ZshrcActivationPreview(services_.fs, this)) {
    connect(zshrc_, &ZshrcActivationPreview::lineAppended, this, &StreamingRemediationModel::appendLine);
    connect(zshrc_, &ZshrcActivationPreview::changed, this, &StreamingRemediationModel::stateChanged);
}

// The job's stream is delivered to a child: destroying it stops listening, which ends the running job.
StreamingRemediationModel::~StreamingRemediationModel() = default;

StreamingRemediationModel::BottomRow StreamingRemediationModel::bottomRow() const {
    if (canceledByUser_) return BottomRow::canceling;
    if (running_ || !started_) return BottomRow::running;
    if (exitCode_ == 0) return zshrc_->isPending() ? BottomRow::succeededChangePending : BottomRow::succeeded;
    return BottomRow::failed;
}

void StreamingRemediationModel::start() {
    if (started_) return;
    started_ = true;
    running_ = true;
    emit stateChanged();
    std::optional<JobEvents> events = job();
    if (!events) return endOfRun();
    delivery_ = new QObject(this);
    std::move(*events).deliverTo(
        delivery_, [this](StreamEvent event) { take(std::move(event)); }, [this] { endOfRun(); },
        [this] { flushLines(); });
}

std::optional<JobEvents> StreamingRemediationModel::job() const {
    SetupRemediationRunner runner(std::nullopt, services_.processRunner, services_.fs, services_.http);
    runner.sources = sources_;
    const Remediation& r = remediation_;
    switch (r.kind) {
    case Kind::installTemurinViaBrew:
        return jobs::installJavaCask(runner, r.name, temurinPrompt);
    case Kind::installWarpViaBrew:
        return jobs::installJavaCask(runner, r.name, QString());
    case Kind::installViaSDKMAN:
        return jobs::runSDKMANCommand(runner,
                                      QStringLiteral("sdk install java ") + r.name + QStringLiteral(" y"),
                                      SDKMANRunner::installJavaArguments(r.name));
    case Kind::setJavaHomeViaSDKMAN:
        return jobs::runSDKMANCommand(runner, QStringLiteral("sdk default java ") + r.name,
                                      SDKMANRunner::defaultJavaArguments(r.name));
    case Kind::installViaMise:
        return jobs::useJavaViaMise(runner, r.name, true);
    case Kind::setJavaHomeViaMise:
        return jobs::useJavaViaMise(runner, r.name, false);
    case Kind::installViaPKG:
        return jobs::installJavaPackage(runner, r.number, temurinPrompt, false);
    case Kind::installViaPKGThenJEnv:
        return jobs::installJavaPackage(runner, r.number, temurinPrompt, true);
    case Kind::setJavaHomeViaJenv:
        return jobs::registerJavaWithJEnv(runner, r.jdkPath, r.number);
    case Kind::installHomebrewThenTemurin:
        return jobs::installHomebrewForJava(
            runner, r.name, temurinPrompt,
            QStringLiteral("Homebrew installed. Now installing Temurin via Homebrew…"));
    case Kind::installHomebrewThenWarp:
        return jobs::installHomebrewForJava(
            runner, r.name, QString(),
            QStringLiteral("Homebrew installed. Now installing Warp via Homebrew…"));
    case Kind::installHomebrew:
        return jobs::installHomebrewForJava(runner);
    case Kind::writeJavaHomeToZprofile:
    case Kind::keepCurrentLegacyJava:
        break; // the ~/.zprofile sheet's: no job here
    }
    return std::nullopt;
}

void StreamingRemediationModel::take(StreamEvent event) {
    switch (event.kind) {
    case StreamEvent::Kind::output:
        keepLine(event.text, event.omitted);
        break;
    case StreamEvent::Kind::completed:
        exitCode_ = event.exitCode;
        break;
    case StreamEvent::Kind::canceled:
        canceledByUser_ = true;
        emit stateChanged();
        break;
    case StreamEvent::Kind::openBrowser:
        break; // no fix of this screen signs in through the browser
    }
}

// ---- End of the run, the terminal event and the actions ----

void StreamingRemediationModel::endOfRun() {
    flushLines();
    if (delivery_) {
        delivery_->deleteLater(); // its delivery may still be on the stack
        delivery_ = nullptr;
    }
    // After mise and jEnv, interactive shells may still need their activation lines in ~/.zshrc.
    if (exitCode_ == 0 && !canceledByUser_) {
        switch (remediation_.kind) {
        case Kind::installViaMise:
        case Kind::setJavaHomeViaMise:
            zshrc_->prepare(ShellActivationManager::mise);
            break;
        case Kind::installViaPKGThenJEnv:
        case Kind::setJavaHomeViaJenv:
            zshrc_->prepare(ShellActivationManager::jenv);
            break;
        default:
            break;
        }
    }
    running_ = false;
    emitTerminalEvent();
    if (canceledByUser_) finish(RemediationOutcome::canceled());
    // No status (a cancel, or a job that ended without one): a failure with -1, so that a run that is
    // not cancelled offers "Close" rather than a run that never ends.
    if (!exitCode_) exitCode_ = -1;
    emit stateChanged();
}

void StreamingRemediationModel::emitTerminalEvent() {
    if (canceledByUser_)
        terminal_.canceled();
    else if (!exitCode_)
        terminal_.failed(1, QStringLiteral("process ended without exit code"));
    else if (*exitCode_ == 0)
        terminal_.completed(0);
    else
        terminal_.failed(*exitCode_, QStringLiteral("exit code ") + QString::number(*exitCode_));
}

void StreamingRemediationModel::finish(const RemediationOutcome& outcome) {
    if (finished_) return;
    finished_ = true;
    // Queued, so that an owner that dismisses the screen in response never deletes it under a caller.
    QMetaObject::invokeMethod(
        this, [this, outcome] { emit finished(outcome); }, Qt::QueuedConnection);
}

void StreamingRemediationModel::cancel() {
    if (finished_) return;
    if (!started_) {
        // Closed before the job started: nothing runs, the sheet reports the cancel.
        started_ = true;
        canceledByUser_ = true;
        emitTerminalEvent();
        finish(RemediationOutcome::canceled());
        emit stateChanged();
        return;
    }
    if (!running_ || canceledByUser_) return; // an ended job is reported by its own buttons
    canceledByUser_ = true;
    // Ending the stream stops the job and its children; the run ends on the next turn of the loop.
    delete std::exchange(delivery_, nullptr);
    QMetaObject::invokeMethod(this, &StreamingRemediationModel::endOfRun, Qt::QueuedConnection);
    emit stateChanged();
}

void StreamingRemediationModel::close() {
    switch (bottomRow()) {
    case BottomRow::running:
    case BottomRow::canceling:
        cancel();
        return;
    case BottomRow::succeededChangePending:
        zshrc_->skip();
        [[fallthrough]];
    case BottomRow::succeeded:
        finish(RemediationOutcome::success(successMessage(remediation_)));
        return;
    case BottomRow::failed:
        finishWithFailure();
        return;
    }
}

void StreamingRemediationModel::escape() {
    if (bottomRow() == BottomRow::succeededChangePending)
        skipZshrc();
    else
        close();
}

void StreamingRemediationModel::applyZshrc() {
    if (bottomRow() == BottomRow::succeededChangePending) zshrc_->apply();
}

void StreamingRemediationModel::skipZshrc() {
    if (bottomRow() == BottomRow::succeededChangePending) zshrc_->skip();
}

void StreamingRemediationModel::finishWithSuccess() {
    if (bottomRow() == BottomRow::succeeded)
        finish(RemediationOutcome::success(successMessage(remediation_)));
}

void StreamingRemediationModel::finishWithFailure() {
    if (bottomRow() == BottomRow::failed) finish(RemediationOutcome::failure(failureText(*exitCode_)));
}

// ---- Lines ----

void StreamingRemediationModel::appendLine(const QString& line) {
    keepLine(line);
    flushLines();
}

void StreamingRemediationModel::keepLine(const QString& line, qint64 omitted) {
    lines_.append(OutputLineLimit::shown(line, omitted));
}

void StreamingRemediationModel::flushLines() {
    const qsizetype count = lines_.size() - shownLines_;
    if (count <= 0) return;
    const qsizetype first = shownLines_;
    shownLines_ = lines_.size();
    emit linesAppended(first, count);
}

bool StreamingRemediationModel::isRetryLine(const QString& line) {
    return line.contains(QStringLiteral("Retrying with `brew reinstall"));
}

QString StreamingRemediationModel::outputRowIdentifier(const QString& line) {
    return isRetryLine(line) ? QStringLiteral("remediation-retry-line") : QString();
}

QString StreamingRemediationModel::failureText(std::int32_t exitCode) {
    return QStringLiteral("Install failed (exit code ") + QString::number(exitCode) +
           QStringLiteral("). The article at [Pellinor](") +
           ProductConfig::current().urls.troubleshooting.toString(QUrl::FullyEncoded) +
           QStringLiteral(") may help.");
}

// ---- Texts per case ----

QString StreamingRemediationModel::title(const Remediation& remediation) {
    const QString version = QString::number(remediation.number);
    switch (remediation.kind) {
    case Kind::installTemurinViaBrew:
        return QStringLiteral("Installing Temurin via Homebrew");
    case Kind::installViaSDKMAN:
        return QStringLiteral("Installing Temurin via SDKMAN");
    case Kind::installViaMise:
        return QStringLiteral("Installing Temurin via Mise");
    case Kind::installViaPKG:
        return QStringLiteral("Installing Temurin ") + version + QStringLiteral(" (direct PKG)");
    case Kind::installViaPKGThenJEnv:
        return QStringLiteral("Installing Temurin ") + version + QStringLiteral(" and registering with jEnv");
    case Kind::setJavaHomeViaSDKMAN:
        return QStringLiteral("Setting JAVA_HOME via SDKMAN");
    case Kind::setJavaHomeViaMise:
        return QStringLiteral("Setting JAVA_HOME via Mise");
    case Kind::setJavaHomeViaJenv:
        return QStringLiteral("Setting JAVA_HOME via jEnv");
    case Kind::installHomebrewThenTemurin:
        return QStringLiteral("Installing Homebrew + Temurin");
    case Kind::installWarpViaBrew:
        return QStringLiteral("Installing Warp via Homebrew");
    case Kind::installHomebrewThenWarp:
        return QStringLiteral("Installing Homebrew + Warp");
    case Kind::installHomebrew:
        return QStringLiteral("Installing Homebrew");
    case Kind::writeJavaHomeToZprofile:
    case Kind::keepCurrentLegacyJava:
        break;
    }
    return remediation.title();
}

QString StreamingRemediationModel::subtitle(const Remediation& remediation) {
    switch (remediation.kind) {
    case Kind::installTemurinViaBrew:
        return QStringLiteral("macOS will ask for your password so brew can install Temurin to "
                              "/Library/Java/JavaVirtualMachines/.");
    case Kind::installViaSDKMAN:
        return QStringLiteral("Running `sdk install java <X>-tem` via your login zsh.");
    case Kind::installViaMise:
        return QStringLiteral("Running `mise install java@temurin-<X>` and `mise use -g`.");
    case Kind::installViaPKG:
        return QStringLiteral(
            "We'll download the Temurin installer from Adoptium, verify its checksum, and ask "
            "macOS for permission to install.");
    case Kind::installViaPKGThenJEnv:
        return QStringLiteral("PKG install first, then `jenv add` and `jenv global`. macOS will ask for your "
                              "password for the installer step.");
    case Kind::setJavaHomeViaSDKMAN:
        return QStringLiteral("Running `sdk default java <X>-tem`.");
    case Kind::setJavaHomeViaMise:
        return QStringLiteral(
            "Running `mise use -g java@temurin-<X>` and ensuring `~/.zshrc` activates Mise.");
    case Kind::setJavaHomeViaJenv:
        return QStringLiteral("Enabling jEnv's export plugin and registering your Java installation.");
    case Kind::installHomebrewThenTemurin:
        return QStringLiteral(
            "Two phases: install Homebrew first (with Xcode Command Line Tools as a side-effect "
            "if needed), then install Temurin via Homebrew.");
    case Kind::installWarpViaBrew:
        return QStringLiteral("Homebrew will install Warp to /Applications/.");
    case Kind::installHomebrewThenWarp:
        return QStringLiteral("Two phases: install Homebrew first (macOS will ask for your password), then "
                              "install Warp via Homebrew.");
    case Kind::installHomebrew:
        return QStringLiteral(
            "Running the official Homebrew install script. macOS will ask for your password; if "
            "Xcode Command Line Tools aren't installed, a separate Apple dialog will appear "
            "during install.");
    case Kind::writeJavaHomeToZprofile:
    case Kind::keepCurrentLegacyJava:
        break;
    }
    return remediation.rationale();
}

QString StreamingRemediationModel::finishLabel(const Remediation& remediation) {
    switch (remediation.kind) {
    case Kind::installWarpViaBrew:
    case Kind::installHomebrewThenWarp:
    case Kind::installHomebrew:
        return QStringLiteral("Continue");
    default:
        return QStringLiteral("Continue to verify");
    }
}

QString StreamingRemediationModel::successMessage(const Remediation& remediation) {
    switch (remediation.kind) {
    case Kind::installTemurinViaBrew:
    case Kind::installViaPKG:
    case Kind::installViaPKGThenJEnv:
        return QStringLiteral("Temurin installed.");
    case Kind::installViaSDKMAN:
        return QStringLiteral("Installed Temurin via SDKMAN.");
    case Kind::installViaMise:
        return QStringLiteral("Installed Temurin via Mise.");
    case Kind::setJavaHomeViaSDKMAN:
        return QStringLiteral("Set the SDKMAN default Java.");
    case Kind::setJavaHomeViaMise:
        return QStringLiteral("Configured Mise to set JAVA_HOME.");
    case Kind::setJavaHomeViaJenv:
        return QStringLiteral("Configured jEnv to set JAVA_HOME.");
    case Kind::installHomebrewThenTemurin:
        return QStringLiteral("Homebrew + Temurin installed.");
    case Kind::installWarpViaBrew:
        return QStringLiteral("Warp installed.");
    case Kind::installHomebrewThenWarp:
        return QStringLiteral("Homebrew + Warp installed.");
    case Kind::installHomebrew:
        return QStringLiteral("Homebrew installed.");
    case Kind::writeJavaHomeToZprofile:
    case Kind::keepCurrentLegacyJava:
        break;
    }
    return {};
}

} // namespace qlan
