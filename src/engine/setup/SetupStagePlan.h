#pragma once
// What the stage screen of one domain shows, decided without a widget: the frame (title, explanation,
// article), the content chosen by the stage's classification, the Homebrew gate, the remediation rows
// with their captions, and which special sub-screen takes the rows' place. Its buttons ask the flow
// model for their batch.

#include "catalog/ProjectTemplate.h"
#include "catalog/SetupRemediation.h"
#include "catalog/SpineRenderPolicy.h"
#include "editions/ProductConfig.h"
#include "platform/FileSystemOperating.h"
#include "setup/SetupFlowModel.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QUrl>

#include <optional>

namespace qlan {

struct SetupStagePlan {
    enum class Content {
        nothing, // a ready stage: the frame only; the flow moves past it by itself
        blocked, // the diagnosis detail and "Continue"
        actions, // the action area (gate, rows, grouped install or a special sub-screen), then Skip
    };

    // One remediation button and the caption under it (empty: no caption).
    struct Row {
        SetupRemediation remediation;
        QString caption;
        friend bool operator==(const Row&, const Row&) = default;
    };

    QString domainID;
    QString title;
    QString explainer; // Markdown; a diagnosis text (which may carry machine values) is escaped
    QUrl articleURL;
    Content content = Content::nothing;
    QString blockedDetail;         // for `blocked`: the diagnosis detail, plain text
    std::optional<QString> footer; // for `actions`: the copy's footer, plain text
    // The Homebrew gate: the stage needs Homebrew and it is missing. Only the message, "Install
    // Homebrew first" (when `offersHomebrewStep`) and Skip are shown; nothing else is computed.
    bool gated = false;
    bool offersHomebrewStep = false;
    QList<SetupRemediation> remediations; // the stage's list (empty while gated)
    std::optional<SpineRenderPolicy::SpecialStageKind> specialKind;
    QList<Row> rows; // without a special kind: one per remediation, in list order

    // The stage screen for `domainID`; absent when the model has no workflow, no such step, no profile
    // or no probes (an empty screen). The first step with the id counts.
    static std::optional<SetupStagePlan> make(const QString& domainID, const SetupFlowModel& model,
                                              const FileSystemOperating& fs, const ProductConfig& edition);

    static QString gateMessage();
    static QString installHomebrewFirstLabel();
    static QString skipLabel();

    // Homebrew is there: the profile has a prefix, else an executable brew at one of its two places.
    static bool homebrewAvailable(const std::optional<SystemProfile>& profile, const FileSystemOperating& fs);
    static bool workflowHasHomebrewStep(const std::optional<SetupWorkflow>& workflow);
    // The domain's fixes: the edition's spine provider's, else the default developer stages'.
    static QList<SetupRemediation> remediationsFor(const ProductConfig& edition, const QString& domainID,
                                                   const SystemProfile& profile,
                                                   const SetupProbeBundle& probes);
    // The cask picker's offered fixes by id; where ids repeat, the first in list order.
    static QMap<QString, SetupRemediation> offeredByID(const QList<SetupRemediation>& remediations);
    // The project actions' templates: those of the list's project fixes, in list order.
    static QList<ProjectTemplate> projectTemplates(const QList<SetupRemediation>& remediations);
};

} // namespace qlan
