#pragma once
// The Claude Code edition's screen texts of the guided setup. Article paths are relative to the
// edition's article base.

#include "catalog/SpineCopyProviding.h"

namespace qlan {

class ClaudeSpineCopyProvider final : public SpineCopyProviding {
public:
    // The domain's screen of ClaudeSpineCopy; the diagnosis is not read.
    std::optional<SpineScreenCopy> screenCopy(const QString& domainID,
                                              const std::optional<SetupDiagnosis>& diagnosis) const override;
    // "<display name>: <status word>"; only the classification of the diagnosis is read. A domain without
    // a display name of its own is shown by its id.
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
