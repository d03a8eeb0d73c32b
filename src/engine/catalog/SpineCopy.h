#pragma once
// The screen texts of the guided setup that differ between editions: one record per edition. The flow
// reads every text it shows from the current edition's record; article paths are relative to the
// edition's article base.

#include "catalog/SetupWorkflow.h"

#include <QList>
#include <QMap>
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

struct SpineCopy {
    // A diagnosis that speaks for itself: on its domain's stage screen its own headline and detail stand
    // in for the screen's, and the domain's status line says `status`.
    struct DiagnosisOverride {
        QString domainID;
        QString headline; // the diagnosis's headline, matched exactly
        QString status;
        friend bool operator==(const DiagnosisOverride&, const DiagnosisOverride&) = default;
    };

    QMap<QString, SpineScreenCopy> screens; // the stage screen of each domain that has one
    QMap<QString, QString> statusNames;     // a domain's name on its status line; others show their id
    QList<DiagnosisOverride> diagnosisOverrides;
    // The diagnosis summary.
    QString diagnosisWindowTitle;
    QString diagnosisHeadline;
    QString diagnosisFooter;
    QString diagnosisArticlePath;
    // The title shown while the verifier runs.
    QString verifyingTitle;
    // The screen that invites the user to go on with further stages.
    QString continueWindowTitle;
    QString continueHeadline;
    QString continueBody;
    // The final summary.
    QString summaryWindowTitle;
    QString summaryHeadline;
    QString summaryAllVerified;
    QString summarySomeUnverified;
    // A check the user can run themselves.
    QString selfCheckTip;
    QString outcomeQuestion;
    QString updateArticlePath;
    QString troubleshootingArticlePath;
    QString outcomeWindowTitle;
    // The prompt of the project-folder chooser.
    QString projectFolderPrompt;

    // The stage screen of a domain, with a diagnosis override applied; absent for a domain without one.
    std::optional<SpineScreenCopy> screenCopy(const QString& domainID,
                                              const std::optional<SetupDiagnosis>& diagnosis) const;
    // "<name>: <status>", e.g. "Homebrew: installed, not on PATH": the status of a diagnosis override,
    // else the status word of the classification.
    QString statusLabel(const QString& domainID, const SetupDiagnosis& diagnosis) const;

    // The status word of a classification: "installed", "not installed", "needs attention", "unknown".
    static QString statusWord(SetupDiagnosisClassification classification);

    friend bool operator==(const SpineCopy&, const SpineCopy&) = default;

private:
    const DiagnosisOverride* overrideFor(const QString& domainID, const QString& headline) const;
};

} // namespace qlan
