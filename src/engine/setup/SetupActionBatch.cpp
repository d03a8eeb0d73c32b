#include "setup/SetupActionBatch.h"

#include "catalog/SetupRemediationEvents.h"
#include "editions/ProductConfig.h"
#include "remediation/OutputLineLimit.h"
#include "telemetry/EventValues.h"
#include "telemetry/TelemetryService.h"

namespace qlan {

SetupActionBatch::SetupActionBatch(QList<SetupRemediation> remediations, bool continuesPastFailure,
                                   RunRemediation run, const ProductConfig& edition,
                                   TelemetryService& telemetry, QObject* parent)
    : QObject(parent)
    , loginName(qlan::loginName())
    , remediations_(std::move(remediations))
    , continuesPastFailure_(continuesPastFailure)
    , run_(std::move(run))
    , telemetry_(telemetry)
    , policy_(edition.spinePolicy)
    , defaultReason_(defaultReason(edition)) {}

SetupActionBatch::~SetupActionBatch() {
    // The running job's stream is cancelled with its owner, which stops the job.
    delete step_.data();
}

SetupActionBatch::RunRemediation SetupActionBatch::runWith(SetupRemediationRunner runner) {
    return [runner = std::move(runner)](const SetupRemediation& remediation, const QString& reason) {
        return runner.run(remediation, reason);
    };
}

void SetupActionBatch::start() {
    if (started_) return;
    started_ = true;
    runNext();
}

void SetupActionBatch::cancel() {
    if (hasEnded()) return;
    canceled_ = true;
    // Ending the stream stops the job now; deleting its owner may have to wait for a delivery in progress.
    if (QObject* step = step_.data()) {
        step_ = nullptr;
        qDeleteAll(step->children());
        step->deleteLater();
    }
    emit ended();
}

void SetupActionBatch::finish(SetupActionOutcome outcome) {
    if (finished_) return;
    finished_ = true;
    emit finished(outcome);
}

void SetupActionBatch::runNext() {
    while (!canceled_ && index_ < remediations_.size()) {
        const SetupRemediation& remediation = remediations_[index_];
        if (needsMise(remediation) && failed_.contains(SetupRemediation::installMise().id())) {
            append(skipLine(remediation));
            ++index_;
            continue;
        }
        telemetry_.track(setupRemediationAppliedEvent(remediation));
        stepExitCode_ = -1;
        stepCanceled_ = false;
        auto* step = new QObject(this);
        step_ = step;
        Events events = run_(remediation, reason(policy_, remediation, defaultReason_));
        std::move(events).deliverTo(
            step, [this](Event event) { handle(event); }, [this] { stepEnded(); });
        return;
    }
    if (!canceled_) finishWith(firstFailure_);
}

void SetupActionBatch::handle(const Event& event) {
    switch (event.kind) {
    case Event::Kind::output:
        append(event.text, event.omitted);
        break;
    case Event::Kind::completed:
        stepExitCode_ = event.exitCode;
        break;
    case Event::Kind::canceled:
        stepCanceled_ = true;
        break;
    case Event::Kind::openBrowser: {
        if (event.code && desktop.copyToPasteboard) desktop.copyToPasteboard(*event.code);
        append(browserLine(event.code));
        const QUrl url(event.text, QUrl::StrictMode);
        if (url.isValid() && !url.scheme().isEmpty() && desktop.openURL) desktop.openURL(url);
        break;
    }
    }
}

void SetupActionBatch::stepEnded() {
    if (QObject* step = step_.data()) {
        step_ = nullptr;
        step->deleteLater(); // its delivery is still on the stack
    }
    if (canceled_) return;
    const SetupRemediation& remediation = remediations_[index_];
    if (stepCanceled_) {
        canceled_ = true;
        emit ended();
        return;
    }
    if (stepExitCode_ == 0) {
        telemetry_.track(setupRemediationCompletedEvent(remediation, 0));
        if (auto detail = claudeDetailEvent(remediation, 0, loginName)) telemetry_.track(*detail);
    } else {
        telemetry_.track(
            setupRemediationFailedEvent(remediation, stepExitCode_, QStringLiteral("nonzero_exit")));
        failed_.insert(remediation.id());
        if (firstFailure_ == 0) firstFailure_ = stepExitCode_;
        if (!continuesPastFailure_) return finishWith(firstFailure_);
    }
    ++index_;
    runNext();
}

void SetupActionBatch::finishWith(std::int32_t exitCode) {
    exitCode_ = exitCode;
    emit ended();
}

void SetupActionBatch::append(const QString& line, qint64 omitted) {
    lines_.append(OutputLineLimit::shown(line, omitted));
    emit linesAppended();
}

SetupActionOutcome SetupActionBatch::continueOutcome() const {
    if (canceled_) return SetupActionOutcome::canceled;
    return exitCode_ == 0 ? SetupActionOutcome::success : SetupActionOutcome::failure;
}

QString SetupActionBatch::defaultReason(const ProductConfig& edition) {
    return edition.spinePolicy.privilegedActionReason.value_or(edition.displayName);
}

QString SetupActionBatch::reason(const SpineRenderPolicy& policy, const SetupRemediation& remediation,
                                 const QString& defaultReason) {
    return policy.privilegedReasons.value(remediation.id(), defaultReason);
}

bool SetupActionBatch::needsMise(const SetupRemediation& remediation) {
    using Kind = SetupRemediation::Kind;
    const Kind kind = remediation.kind();
    return kind == Kind::installNodeViaMise || kind == Kind::installRubyViaMise ||
           kind == Kind::installRustViaMise;
}

QString SetupActionBatch::skipLine(const SetupRemediation& remediation) {
    return QStringLiteral("Skipping ") + remediation.displayLabel() +
           QStringLiteral(" — it needs a step that didn't finish.");
}

QString SetupActionBatch::browserLine(const std::optional<QString>& code) {
    if (!code) return QStringLiteral("Opened your browser — follow the GitHub sign-in there.");
    return QStringLiteral("Opened your browser. Your one-time code is ") + *code +
           QStringLiteral(" (copied to the clipboard) — paste it and authorize.");
}

std::optional<TelemetryEvent> SetupActionBatch::claudeDetailEvent(const SetupRemediation& remediation,
                                                                  std::int32_t exitCode,
                                                                  const QString& loginName) {
    if (exitCode != 0) return std::nullopt;
    const auto brew = [](const QString& name) {
        return TelemetryEvent{name, {{QStringLiteral("method"), JSONValue::string(QStringLiteral("brew"))}}};
    };
    switch (remediation.kind()) {
    case SetupRemediation::Kind::installClaudeCLI:
        return brew(QStringLiteral("claude_cli_installed"));
    case SetupRemediation::Kind::installClaudeDesktop:
        return brew(QStringLiteral("claude_desktop_installed"));
    case SetupRemediation::Kind::repairPath: {
        const QString directory = remediation.payloadAs<SetupRemediation::RepairPath>()->directory;
        return TelemetryEvent{
            QStringLiteral("claude_path_repaired"),
            {{QStringLiteral("directory"),
              JSONValue::string(homeMasked(directory, loginName, {}, HomeMasking::pathsBelowOnly))}}};
    }
    default:
        return std::nullopt;
    }
}

} // namespace qlan
