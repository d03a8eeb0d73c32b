#pragma once
// The pickers of the guided setup's special stages (languages, project, skills, MCP servers, Git and
// GitHub, applications): what the user has ticked and typed, the rows each picker shows, and the one
// batch each picker hands to the flow. The state lives as long as the setup screen, across stages, and is
// not cleared after a batch; the rows and batches are worked out afresh from it and from the Mac's files
// each time a picker is shown. Batches keep catalogue (or row) order, never the order of ticking, and
// never hold what the Mac already has.

#include "catalog/AgentSkill.h"
#include "catalog/LanguageDetector.h"
#include "catalog/MCPServer.h"
#include "catalog/ProjectTemplate.h"
#include "catalog/QLANLanguage.h"
#include "catalog/SetupRemediation.h"
#include "catalog/SpineRenderPolicy.h"
#include "platform/FileSystemOperating.h"
#include "platform/SystemProfile.h"
#include "setup/SetupFlowModel.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <stop_token>

namespace qlan {

// One checkbox row of a picker, with the caption under it.
struct PickerRow {
    enum class Tone { secondary, warning };

    QString key;        // what ticking toggles: a language's raw value, a slug or a remediation id
    QString checkboxID; // the checkbox's accessibility identifier
    QString title;
    bool checked = false;
    bool enabled = true;
    QString caption;   // empty: no caption line
    QString captionID; // empty: the caption has no identifier
    Tone captionTone = Tone::secondary;
    QString disclosure; // a second, warning-coloured line; empty: none
    QString keyFieldID; // the masked key field under the row; empty: none

    friend bool operator==(const PickerRow&, const PickerRow&) = default;
};

// The Git form as it stands for the current probe facts and field texts.
struct GitFormState {
    bool showsFields = true; // false once Git has an identity: only the caption is shown
    bool buttonEnabled = false;
    QString hint; // why the button is disabled when the reason is not obvious; empty: none
    friend bool operator==(const GitFormState&, const GitFormState&) = default;
};

struct SetupPickerState {
    using PendingInstall = SetupFlowModel::PendingInstall;

    // ---- What the user ticked and typed ----
    QSet<QLANLanguage> selectedLanguages;
    QSet<QString> selectedSkills; // slugs
    bool didSeedSkills = false;
    QSet<QString> selectedMCP;         // slugs
    QMap<QString, QString> mcpAPIKeys; // slug -> the key field's text, as typed
    QString gitName;                   // the fields' texts, as typed
    QString gitEmail;
    QSet<QString> selectedCasks; // remediation ids
    QSet<QString> didSeedCasks;  // stage ids whose first-visit ticking has run

    // ---- Languages ----
    // Every language, in picker order, with what the detector finds for it now.
    struct LanguageFinding {
        QLANLanguage language;
        LanguageDetector::Finding finding;
        friend bool operator==(const LanguageFinding&, const LanguageFinding&) = default;
    };
    static QList<LanguageFinding> detectLanguages(const LanguageDetector& detector);
    // An already set-up language cannot be ticked; one ticked before it was found set up stays
    // selectable, so that it can be unticked.
    QList<PickerRow> languageRows(const QList<LanguageFinding>& findings) const;
    void setLanguageSelected(QLANLanguage language, bool selected);
    // The ticked languages that are not set up already.
    QSet<QLANLanguage> languagesToInstall(const QList<LanguageFinding>& findings) const;
    // "Install selected languages" is enabled when this is not empty.
    QList<SetupRemediation> languagePlan(const QList<LanguageFinding>& findings) const;
    // The "languages" batch; none when nothing is to be installed.
    std::optional<PendingInstall> languagesBatch(const QList<LanguageFinding>& findings) const;

    // ---- Project ----
    // "Install in Documents": one project per template in the Documents folder (empty list, empty batch).
    static PendingInstall projectInDocumentsBatch(const QList<ProjectTemplate>& templates);
    // "Choose my folder…": the simple project in the chosen folder; none when no folder was chosen.
    static std::optional<PendingInstall> projectInFolderBatch(const std::optional<QString>& folder);

    // ---- Skills ----
    struct SkillsOffer {
        QList<AgentSkill> listed; // catalogue order; developer-only ones on a Mac with tooling
        QSet<QString> installed;  // slugs of listed skills every agent already has
        friend bool operator==(const SkillsOffer&, const SkillsOffer&) = default;
    };
    // Reads the skill folders; once `stop` is requested, what is left unread counts as not installed.
    static SkillsOffer skillsOffer(const std::optional<SystemProfile>& profile,
                                   std::shared_ptr<FileSystemOperating> fs, std::stop_token stop = {});
    // Ticks the preselected skills that are not installed, once per life of the state.
    void seedSkills(const SkillsOffer& offer);
    QList<PickerRow> skillRows(const SkillsOffer& offer) const;
    void setSkillSelected(const QString& slug, bool selected);
    // Ticked and not installed, in catalogue order. "Add selected" is enabled when not empty.
    QList<AgentSkill> skillsToAdd(const SkillsOffer& offer) const;
    std::optional<PendingInstall> skillsBatch(const SkillsOffer& offer) const;

    // ---- MCP servers ----
    struct MCPOffer {
        QList<MCPServer> listed;  // catalogue order
        QSet<QString> configured; // slugs every agent configuration already names
        friend bool operator==(const MCPOffer&, const MCPOffer&) = default;
    };
    // Reads the agent configurations; once `stop` is requested, what is left unread counts as not added.
    static MCPOffer mcpOffer(std::shared_ptr<FileSystemOperating> fs, std::stop_token stop = {});
    QList<PickerRow> mcpRows(const MCPOffer& offer) const;
    void setMCPSelected(const QString& slug, bool selected);
    void setMCPKey(const QString& slug, const QString& text);
    // A typed key with white space and line breaks trimmed; blank means no key.
    static std::optional<QString> effectiveKey(const QString& typed);
    QList<MCPServer> serversToAdd(const MCPOffer& offer) const;
    std::optional<PendingInstall> mcpBatch(const MCPOffer& offer) const;

    // ---- Git and GitHub ----
    // The name and e-mail as the batch uses them: white space and line breaks trimmed at both ends.
    static QString trimmedField(const QString& typed);
    static bool spansLines(const QString& text);
    GitFormState gitForm(const SetupProbeBundle& probes) const;
    // The "git" batch: gh when missing, the identity when both fields are filled (and each fits on one
    // line), the sign-in when not signed in. Stored even when empty.
    PendingInstall gitBatch(const SetupProbeBundle& probes) const;

    // ---- Applications ----
    // `offered`: the stage's fixes by id (SetupStagePlan::offeredByID).
    // Ticks every offered fix the first time the stage is shown.
    void seedCasks(const QString& stageID, const QMap<QString, SetupRemediation>& offered);
    QList<PickerRow> caskRows(const SpineRenderPolicy::CaskMultiselect& kind,
                              const QMap<QString, SetupRemediation>& offered) const;
    void setCaskSelected(const QString& remediationID, bool selected);
    // The offered fixes of the ticked rows, in row order; "Install selected" is enabled when not empty.
    QList<SetupRemediation> casksToInstall(const SpineRenderPolicy::CaskMultiselect& kind,
                                           const QMap<QString, SetupRemediation>& offered) const;
    std::optional<PendingInstall> casksBatch(const SpineRenderPolicy::CaskMultiselect& kind,
                                             const QMap<QString, SetupRemediation>& offered) const;
};

} // namespace qlan
