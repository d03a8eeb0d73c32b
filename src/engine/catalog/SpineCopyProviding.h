#pragma once
// The screen texts of the guided setup that differ between editions. The flow asks the current
// edition's provider for every text it shows; article paths are relative to the edition's article base.

#include "catalog/SetupWorkflow.h"

#include <QString>

#include <optional>

namespace qlan {

// The texts of one domain's stage screen.
struct SpineScreenCopy {
    QString windowTitle;
    QString headline;
    QString body;
    std::optional<QString> footer;
    friend bool operator==(const SpineScreenCopy&, const SpineScreenCopy&) = default;
};

class SpineCopyProviding {
public:
    virtual ~SpineCopyProviding() = default;

    // The stage screen of a domain; absent for a domain the edition has no stage screen for.
    virtual std::optional<SpineScreenCopy>
    screenCopy(const QString& domainID, const std::optional<SetupDiagnosis>& diagnosis) const = 0;
    // The domain's status line in the diagnosis summary.
    virtual QString statusLabel(const QString& domainID, const SetupDiagnosis& diagnosis) const = 0;
    // The diagnosis summary.
    virtual QString diagnosisWindowTitle() const = 0;
    virtual QString diagnosisHeadline() const = 0;
    virtual QString diagnosisFooter() const = 0;
    virtual QString diagnosisArticlePath() const = 0;
    // The title shown while the verifier runs.
    virtual QString verifyingTitle() const = 0;
    // The screen that invites the user to go on with further stages.
    virtual QString continueWindowTitle() const = 0;
    virtual QString continueHeadline() const = 0;
    virtual QString continueBody() const = 0;
    // The final summary.
    virtual QString summaryWindowTitle() const = 0;
    virtual QString summaryHeadline() const = 0;
    virtual QString summaryAllVerified() const = 0;
    virtual QString summarySomeUnverified() const = 0;
    // A check the user can run themselves.
    virtual QString selfCheckTip() const = 0;
    virtual QString outcomeQuestion() const = 0;
    virtual QString updateArticlePath() const = 0;
    virtual QString troubleshootingArticlePath() const = 0;
    virtual QString outcomeWindowTitle() const = 0;
    // The prompt of the project-folder chooser.
    virtual QString projectFolderPrompt() const = 0;

    // The status word both editions' status lines give a classification: "installed", "not installed",
    // "needs attention", "unknown".
    static QString statusWord(SetupDiagnosisClassification classification) {
        switch (classification) {
        case SetupDiagnosisClassification::ready:
            return QStringLiteral("installed");
        case SetupDiagnosisClassification::fixable:
            return QStringLiteral("not installed");
        case SetupDiagnosisClassification::blocked:
            return QStringLiteral("needs attention");
        case SetupDiagnosisClassification::unknown:
            break;
        }
        return QStringLiteral("unknown");
    }
};

} // namespace qlan
