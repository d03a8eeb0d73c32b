#pragma once
// The two screens after a successful Java fix: VerifyScaffold runs the Java check in a fresh login shell
// (off the GUI thread), sends the one event that says whether the fix took and hands the result back;
// VerifyResultView shows the evidence (the `java -version` output and JAVA_HOME) and the way on: the
// audit, JAVA_HOME after an install, or the article and back.

#include "diagnose/JavaVerifier.h"
#include "diagnose/VerifyOutcome.h"
#include "diagnosis/Remediation.h"
#include "platform/AppServices.h"

#include <QWidget>

#include <functional>
#include <stop_token>

class QPushButton;

namespace qlan {

class ScreenScaffold;
class TelemetryService;

class VerifyScaffold : public QWidget {
    Q_OBJECT
public:
    using OnResult = std::function<void(const JavaVerifier::Result&)>;

    // The check runs through `services.processRunner` when the screen is first shown; `onResult` is
    // called once, on the GUI thread, never after the screen is gone.
    VerifyScaffold(Remediation remediation, AppServices services, OnResult onResult,
                   TelemetryService& telemetry, QWidget* parent = nullptr);
    ~VerifyScaffold() override;

    ScreenScaffold* scaffold() const { return scaffold_; }
    bool hasStarted() const { return started_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void start();
    void finish(const JavaVerifier::Result& result);

    Remediation remediation_;
    AppServices services_;
    OnResult onResult_;
    TelemetryService& telemetry_;
    ScreenScaffold* scaffold_ = nullptr;
    bool started_ = false;
    std::stop_source run_;
};

class VerifyResultView : public QWidget {
    Q_OBJECT
public:
    struct Callbacks {
        std::function<void()> onContinue;
        std::function<void()> onBack;
        std::function<void()> onSetJavaHome;
    };

    VerifyResultView(Remediation remediation, JavaVerifier::Result result, Callbacks callbacks,
                     TelemetryService& telemetry, QWidget* parent = nullptr);

    VerifyOutcome outcome() const { return outcome_; }
    ScreenScaffold* scaffold() const { return scaffold_; }
    // "Set JAVA_HOME (recommended)", shown only for an install without JAVA_HOME.
    QPushButton* setJavaHomeButton() const { return setJavaHome_; }
    QPushButton* continueButton() const { return continue_; }
    // Enables or disables the actions of the follow-up (while the Mac is probed again).
    void setActionsEnabled(bool enabled);

private:
    QWidget* actions();

    Remediation remediation_;
    JavaVerifier::Result result_;
    Callbacks callbacks_;
    TelemetryService& telemetry_;
    VerifyOutcome outcome_;
    ScreenScaffold* scaffold_ = nullptr;
    QPushButton* setJavaHome_ = nullptr;
    QPushButton* continue_ = nullptr;
};

} // namespace qlan
