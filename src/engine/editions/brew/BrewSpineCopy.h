#pragma once
// The Homebrew edition's screen texts of the guided setup. Article paths are relative to the edition's
// article base.

#include "catalog/SpineCopyProviding.h"

namespace qlan {

class BrewSpineCopy final : public SpineCopyProviding {
public:
    // Screens for "clt", "homebrew" and "warp" only. The Homebrew screen takes the diagnosis's own
    // headline and detail when Homebrew is installed but not on PATH, or for the wrong chip.
    std::optional<SpineScreenCopy> screenCopy(const QString& domainID,
                                              const std::optional<SetupDiagnosis>& diagnosis) const override;
    // "<name>: <status>", e.g. "Homebrew: installed, not on PATH".
    QString statusLabel(const QString& domainID, const SetupDiagnosis& diagnosis) const override;
    QString diagnosisWindowTitle() const override;
    QString diagnosisHeadline() const override;
    QString diagnosisFooter() const override;
    QString diagnosisArticlePath() const override;
    QString verifyingTitle() const override;
    QString continueWindowTitle() const override;
    QString continueHeadline() const override;
    QString continueBody() const override;
    QString summaryWindowTitle() const override;
    QString summaryHeadline() const override;
    QString summaryAllVerified() const override;
    QString summarySomeUnverified() const override;
    QString selfCheckTip() const override;
    QString outcomeQuestion() const override;
    QString updateArticlePath() const override;
    QString troubleshootingArticlePath() const override;
    QString outcomeWindowTitle() const override;
    QString projectFolderPrompt() const override;
};

} // namespace qlan
