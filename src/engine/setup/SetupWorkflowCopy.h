#pragma once
// The wording the guided setup's screen reads from the current edition: its spine copy (the Claude Code
// edition's when it has none), the window title of each step, and article links under the edition's
// article base. Everything is read afresh from the record given at each call.

#include "catalog/SpineCopy.h"
#include "editions/ProductConfig.h"
#include "setup/SetupFlowModel.h"

#include <QString>
#include <QUrl>

namespace qlan {

class SetupWorkflowCopy {
public:
    SetupWorkflowCopy() = delete;

    // The scaffold of a framed page: title, explanation and article link.
    struct Frame {
        QString title;
        QString explainer;
        QUrl articleURL;
        friend bool operator==(const Frame&, const Frame&) = default;
    };

    // The edition's spine copy, or the Claude Code edition's when the edition has none.
    static const SpineCopy& spineCopy(const ProductConfig& edition);
    // The window title while `step` is shown.
    static QString windowTitle(const SetupFlowModel::Step& step, const ProductConfig& edition);
    // The article base with `path` appended as one path component; the base itself for an empty path.
    static QUrl articleURL(const ProductConfig& edition, const QString& path);
    // The article a stage links to: the policy's path for the domain, else its fallback path.
    static QUrl stageArticleURL(const ProductConfig& edition, const QString& domainID);

    // The outcome page: whether verification passed (false without a result) decides its explanation
    // and article.
    static bool verificationPassed(const std::optional<SetupVerificationResult>& result);
    static Frame outcomeFrame(const ProductConfig& edition,
                              const std::optional<SetupVerificationResult>& result);
    // The applications the outcome page offers to open; none when the edition has no such rule.
    static QList<SpineRenderPolicy::OpenableApp>
    openableApps(const ProductConfig& edition, const std::optional<SystemProfile>& profile,
                 const std::optional<SetupVerificationResult>& result);
    // The feedback page.
    static Frame feedbackFrame(const ProductConfig& edition);
};

} // namespace qlan
