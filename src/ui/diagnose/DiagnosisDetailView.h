#pragma once
// What the Java diagnosis found and the one next step that fits it: the install chooser (no JDK), the
// JAVA_HOME fix (JAVA_HOME unset), upgrade or keep (only a legacy JDK), or continue to the audit with
// the feedback card (nothing to fix) or without it (the diagnosis failed). A plain view: every decision
// goes back to the host through the callbacks.

#include "diagnosis/Diagnosis.h"
#include "diagnosis/Remediation.h"
#include "editions/ProductConfig.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QPushButton;

namespace qlan {

class IntBinding;
class NPSFeedbackCard;
class NPSFeedbackHost;
class ScreenScaffold;
class TelemetryService;

// What the buttons that open the sheet setting JAVA_HOME do (setFocusAction): the fix of this screen and the
// follow-up of the verified install, which the diagnosis built anew behind that sheet stands in for.
inline constexpr char setJavaHomeAction[] = "set-java-home";

class DiagnosisDetailView : public QWidget {
    Q_OBJECT
public:
    struct Callbacks {
        std::function<void(const Remediation&)> onRemediate;
        std::function<void(int)> onInstallChosen;
        std::function<void()> onKeepLegacy;
        std::function<void()> onContinue;
    };

    // The feedback card of the no-errors section works through `nps` (its marker decides now whether the
    // card is part of the section); the links are the edition's `urls`; events go to `telemetry`, which
    // outlives the view.
    DiagnosisDetailView(Diagnosis diagnosis, std::optional<Remediation> d1Remediation,
                        std::optional<Remediation> d2Remediation, Callbacks callbacks,
                        std::shared_ptr<NPSFeedbackHost> nps, ProductURLs urls, TelemetryService& telemetry,
                        QWidget* parent = nullptr);

    const Diagnosis& diagnosis() const { return diagnosis_; }
    ScreenScaffold* scaffold() const { return scaffold_; }
    IntBinding* d1ChosenMajor() const { return d1ChosenMajor_; }
    IntBinding* d3ChosenMajor() const { return d3ChosenMajor_; }
    // The card of the no-errors section, while it is part of it.
    NPSFeedbackCard* feedbackCard() const { return card_; }
    bool showsFeedbackCard() const { return showNPSOnNoErrors_; }

    static QString installLabel(int major) { return QStringLiteral("Install Java %1").arg(major); }

private:
    QWidget* installSection(const QString& context, IntBinding* chosen);
    QWidget* otherInstallMethodsLink();
    QWidget* primaryRemediationSection();
    QWidget* legacySection();
    QWidget* noErrorsSection();
    QWidget* continueOnlySection();
    QPushButton* continueButton();
    void markNPSSubmitted();
    void continuePastNPS();

    Diagnosis diagnosis_;
    std::optional<Remediation> d1Remediation_;
    std::optional<Remediation> d2Remediation_;
    Callbacks callbacks_;
    std::shared_ptr<NPSFeedbackHost> nps_;
    ProductURLs urls_;
    TelemetryService& telemetry_;

    IntBinding* d1ChosenMajor_;
    IntBinding* d3ChosenMajor_;
    bool showNPSOnNoErrors_ = false;
    ScreenScaffold* scaffold_ = nullptr;
    NPSFeedbackCard* card_ = nullptr;
};

} // namespace qlan
