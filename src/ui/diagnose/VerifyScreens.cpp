#include "ui/diagnose/VerifyScreens.h"

#include "diagnosis/DiagnosisEvents.h"
#include "platform/Worker.h"
#include "telemetry/TelemetryService.h"
#include "ui/diagnose/DiagnosisDetailView.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/FramedBox.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/ScreenPieces.h"
#include "ui/widgets/ShowHook.h"
#include "ui/widgets/TextLabel.h"
#include "ui/widgets/TintedLabel.h"
#include "ui/widgets/WrappingRow.h"

#include <QVBoxLayout>

namespace qlan {

namespace {

void fill(QWidget* screen, ScreenScaffold* scaffold) {
    auto* layout = new QVBoxLayout(screen);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scaffold);
}

// A label over a box that shows the value as selectable plain text in a monospaced font.
QWidget* outputBlock(const QString& label, const QString& value) {
    auto* block = new QWidget;
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* caption = new TextLabel(label, TextRole::caption);
    TypeScale::applySecondaryStyle(caption);
    layout->addWidget(caption);

    auto* box = new CodeBox(value, TextRole::callout);
    layout->addWidget(box);
    return block;
}

// The block's row of buttons.
WrappingRow* actionRow(QWidget* block) {
    auto* row = new WrappingRow;
    column(block, 0)->addWidget(row);
    return row;
}

} // namespace

VerifyScaffold::VerifyScaffold(Remediation remediation, AppServices services, OnResult onResult,
                               TelemetryService& telemetry, QWidget* parent)
    : QWidget(parent)
    , remediation_(std::move(remediation))
    , services_(std::move(services))
    , onResult_(std::move(onResult))
    , telemetry_(telemetry) {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new ActivityIndicator(ControlSize::large), 0, Qt::AlignLeading);
    scaffold_ = new ScreenScaffold(
        QStringLiteral("Verifying…"),
        QStringLiteral("Re-running `java -version` in a fresh login shell to confirm the fix took."), content,
        ScreenScaffold::Options::withoutArticleLink());
    fill(this, scaffold_);
}

VerifyScaffold::~VerifyScaffold() {
    run_.request_stop();
}

void VerifyScaffold::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    start();
}

void VerifyScaffold::start() {
    if (started_) return;
    started_ = true;
    const JavaVerifier verifier{ShellRunner(services_.processRunner)};
    run_ = runOffThread(
        this, [verifier] { return verifier.run(); },
        [this](const JavaVerifier::Result& result) { finish(result); });
}

void VerifyScaffold::finish(const JavaVerifier::Result& result) {
    telemetry_.track(verificationEvent(remediation_, result));
    if (onResult_) onResult_(result);
}

VerifyResultView::VerifyResultView(Remediation remediation, JavaVerifier::Result result, Callbacks callbacks,
                                   QUrl troubleshooting, TelemetryService& telemetry, QWidget* parent)
    : QWidget(parent)
    , remediation_(std::move(remediation))
    , result_(std::move(result))
    , callbacks_(std::move(callbacks))
    , troubleshooting_(std::move(troubleshooting))
    , telemetry_(telemetry)
    , outcome_(verifyOutcome(remediation_, result_)) {
    const bool passed = outcome_ != VerifyOutcome::failed;
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);

    QWidget* output = outputBlock(QStringLiteral("java -version"), result_.javaVersionOutput.isEmpty()
                                                                       ? QStringLiteral("(no output)")
                                                                       : result_.javaVersionOutput);
    setAccessibilityIdentifier(output, passed ? QStringLiteral("verify-result-pass")
                                              : QStringLiteral("verify-result-fail"));
    layout->addWidget(output);
    layout->addWidget(
        outputBlock(QStringLiteral("JAVA_HOME"), result_.javaHomeValue.value_or(QStringLiteral("(unset)"))));

    if (passed && remediation_.kind == Remediation::Kind::keepCurrentLegacyJava) {
        auto* warning =
            new TintedLabel(legacyWarning(result_.javaVersionOutput), SystemColor::yellow, 0.15f, 0.6f);
        setAccessibilityIdentifier(warning, QStringLiteral("verify-legacy-warning"));
        layout->addWidget(warning);
    }
    layout->addWidget(actions());

    scaffold_ = new ScreenScaffold(verifyResultTitle(outcome_, remediation_), verifyResultExplainer(outcome_),
                                   content, ScreenScaffold::Options::withoutArticleLink());
    fill(this, scaffold_);
}

QWidget* VerifyResultView::actions() {
    auto* block = new QWidget;
    auto call = [](const std::function<void()>& callback) {
        return [callback] {
            if (callback) callback();
        };
    };
    switch (outcome_) {
    case VerifyOutcome::passed: {
        auto* next = new ProminentButton(QStringLiteral("Continue to system audit"));
        next->bindToReturn();
        setAccessibilityIdentifier(next, QStringLiteral("continue-to-audit"));
        connect(next, &QPushButton::clicked, this, call(callbacks_.onContinue));
        continue_ = next;
        actionRow(block)->addWidget(next);
        break;
    }
    case VerifyOutcome::javaHomeUnset: {
        auto* followUp = new QVBoxLayout(block);
        followUp->setContentsMargins(0, 4, 0, 0);
        followUp->setSpacing(10);
        followUp->addWidget(
            new TextLabel(QStringLiteral("Now point JAVA_HOME at the new Java"), TextRole::headline));
        auto* row = new WrappingRow;
        auto* setHome = new ProminentButton(QStringLiteral("Set JAVA_HOME (recommended)"));
        setHome->bindToReturn();
        setFocusAction(setHome, setJavaHomeAction);
        connect(setHome, &QPushButton::clicked, this, call(callbacks_.onSetJavaHome));
        auto* next = borderedButton(QStringLiteral("Continue to system audit"), ControlSize::large);
        setAccessibilityIdentifier(next, QStringLiteral("continue-to-audit"));
        connect(next, &QPushButton::clicked, this, call(callbacks_.onContinue));
        setJavaHome_ = setHome;
        continue_ = next;
        row->addWidget(setHome);
        row->addWidget(next);
        followUp->addWidget(row);
        onEveryShow(block, [this] { telemetry_.track(verifyOfferedFollowupEvent(remediation_)); });
        break;
    }
    case VerifyOutcome::failed: {
        WrappingRow* row = actionRow(block);
        row->addWidget(new LinkLabel(QStringLiteral("Open the article"), troubleshooting_));
        auto* back = new ProminentButton(QStringLiteral("Back"));
        connect(back, &QPushButton::clicked, this, call(callbacks_.onBack));
        row->addWidget(back);
        break;
    }
    }
    return block;
}

void VerifyResultView::setActionsEnabled(bool enabled) {
    if (setJavaHome_) setJavaHome_->setEnabled(enabled);
    if (continue_ && setJavaHome_) continue_->setEnabled(enabled);
}

} // namespace qlan
