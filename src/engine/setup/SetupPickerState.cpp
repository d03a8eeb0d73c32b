#include "setup/SetupPickerState.h"

#include "remediation/MCPConfigWriter.h"
#include "remediation/SkillFolderInstaller.h"

namespace qlan {
namespace {

using PendingInstall = SetupPickerState::PendingInstall;

const QString alreadyInstalled = QStringLiteral("Already installed");

void toggle(QSet<QString>& set, const QString& key, bool selected) {
    if (selected)
        set.insert(key);
    else
        set.remove(key);
}

bool isSetUp(const LanguageDetector::Finding& finding) {
    return finding.kind == LanguageDetector::Finding::Kind::ours;
}

} // namespace

// ---- Languages ----

QList<SetupPickerState::LanguageFinding> SetupPickerState::detectLanguages(const LanguageDetector& detector) {
    QList<LanguageFinding> findings;
    for (QLANLanguage language : allCases<QLANLanguage>())
        findings.append({language, detector.detect(language)});
    return findings;
}

QList<PickerRow> SetupPickerState::languageRows(const QList<LanguageFinding>& findings) const {
    QList<PickerRow> rows;
    for (const auto& [language, finding] : findings) {
        const QString raw = toText(language);
        PickerRow row;
        row.key = raw;
        row.checkboxID = QStringLiteral("lang-") + raw;
        row.title = displayName(language);
        row.checked = selectedLanguages.contains(language);
        row.enabled = !isSetUp(finding) || row.checked;
        row.caption = LanguageDetector::statusText(finding).value_or(QString());
        row.captionID = QStringLiteral("lang-note-") + raw;
        if (finding.kind == LanguageDetector::Finding::Kind::managedBy)
            row.captionTone = PickerRow::Tone::warning;
        rows.append(row);
    }
    return rows;
}

void SetupPickerState::setLanguageSelected(QLANLanguage language, bool selected) {
    if (selected)
        selectedLanguages.insert(language);
    else
        selectedLanguages.remove(language);
}

QSet<QLANLanguage> SetupPickerState::languagesToInstall(const QList<LanguageFinding>& findings) const {
    QSet<QLANLanguage> languages;
    for (const auto& [language, finding] : findings)
        if (selectedLanguages.contains(language) && !isSetUp(finding)) languages.insert(language);
    return languages;
}

QList<SetupRemediation> SetupPickerState::languagePlan(const QList<LanguageFinding>& findings) const {
    return remediationPlan(languagesToInstall(findings));
}

std::optional<PendingInstall> SetupPickerState::languagesBatch(const QList<LanguageFinding>& findings) const {
    const QList<SetupRemediation> plan = languagePlan(findings);
    if (plan.isEmpty()) return std::nullopt;
    return PendingInstall{QStringLiteral("languages"), QStringLiteral("Install languages"), plan, true};
}

// ---- Project ----

PendingInstall SetupPickerState::projectInDocumentsBatch(const QList<ProjectTemplate>& templates) {
    PendingInstall batch{QStringLiteral("project"), QStringLiteral("Set up a project"), {}, true};
    for (ProjectTemplate projectTemplate : templates)
        batch.remediations.append(SetupRemediation::createProject(projectTemplate));
    return batch;
}

std::optional<PendingInstall> SetupPickerState::projectInFolderBatch(const std::optional<QString>& folder) {
    if (!folder || folder->isEmpty()) return std::nullopt;
    return PendingInstall{QStringLiteral("project-choose"),
                          QStringLiteral("Set up a project"),
                          {SetupRemediation::createProject(ProjectTemplate::simple, *folder)},
                          true};
}

// ---- Skills ----

SetupPickerState::SkillsOffer SetupPickerState::skillsOffer(const std::optional<SystemProfile>& profile,
                                                            std::shared_ptr<FileSystemOperating> fs,
                                                            std::stop_token stop) {
    SkillsOffer offer;
    offer.listed = AgentSkill::available(profile && profile->hasExistingTooling());
    const SkillFolderInstaller installer(std::move(fs));
    for (const AgentSkill& skill : offer.listed)
        if (!stop.stop_requested() && installer.isInstalled(skill.slug)) offer.installed.insert(skill.slug);
    return offer;
}

void SetupPickerState::seedSkills(const SkillsOffer& offer) {
    if (didSeedSkills) return;
    didSeedSkills = true;
    for (const AgentSkill& skill : offer.listed)
        if (skill.preselected && !offer.installed.contains(skill.slug)) selectedSkills.insert(skill.slug);
}

QList<PickerRow> SetupPickerState::skillRows(const SkillsOffer& offer) const {
    QList<PickerRow> rows;
    for (const AgentSkill& skill : offer.listed) {
        const bool installed = offer.installed.contains(skill.slug);
        PickerRow row;
        row.key = skill.slug;
        row.checkboxID = QStringLiteral("skill-") + skill.slug;
        row.title = skill.displayName;
        row.checked = installed || selectedSkills.contains(skill.slug);
        row.enabled = !installed;
        row.caption = installed ? alreadyInstalled : skill.badge;
        rows.append(row);
    }
    return rows;
}

void SetupPickerState::setSkillSelected(const QString& slug, bool selected) {
    toggle(selectedSkills, slug, selected);
}

QList<AgentSkill> SetupPickerState::skillsToAdd(const SkillsOffer& offer) const {
    QList<AgentSkill> skills;
    for (const AgentSkill& skill : offer.listed)
        if (selectedSkills.contains(skill.slug) && !offer.installed.contains(skill.slug))
            skills.append(skill);
    return skills;
}

std::optional<PendingInstall> SetupPickerState::skillsBatch(const SkillsOffer& offer) const {
    const QList<AgentSkill> skills = skillsToAdd(offer);
    if (skills.isEmpty()) return std::nullopt;
    PendingInstall batch{QStringLiteral("skills"), QStringLiteral("Add skills"), {}, true};
    for (const AgentSkill& skill : skills)
        batch.remediations.append(SetupRemediation::installSkill(skill));
    return batch;
}

// ---- MCP servers ----

SetupPickerState::MCPOffer SetupPickerState::mcpOffer(std::shared_ptr<FileSystemOperating> fs,
                                                      std::stop_token stop) {
    MCPOffer offer;
    offer.listed = MCPServer::builtIn();
    const MCPConfigWriter writer(std::move(fs));
    for (const MCPServer& server : offer.listed)
        if (!stop.stop_requested() && writer.isConfigured(server.slug)) offer.configured.insert(server.slug);
    return offer;
}

QList<PickerRow> SetupPickerState::mcpRows(const MCPOffer& offer) const {
    QList<PickerRow> rows;
    for (const MCPServer& server : offer.listed) {
        const bool configured = offer.configured.contains(server.slug);
        const bool selected = selectedMCP.contains(server.slug);
        PickerRow row;
        row.key = server.slug;
        row.checkboxID = QStringLiteral("mcp-") + server.slug;
        row.title = server.displayName;
        row.checked = configured || selected;
        row.enabled = !configured;
        row.caption = configured ? QStringLiteral("Already added") : server.summary;
        if (!configured) row.disclosure = server.disclosure.value_or(QString());
        const auto* keyed = std::get_if<MCPServer::KeylessOptionalKey>(&server.connection);
        if (keyed && keyed->keyURLTemplate && !configured && selected)
            row.keyFieldID = QStringLiteral("mcp-key-") + server.slug;
        rows.append(row);
    }
    return rows;
}

void SetupPickerState::setMCPSelected(const QString& slug, bool selected) {
    toggle(selectedMCP, slug, selected);
}

void SetupPickerState::setMCPKey(const QString& slug, const QString& text) {
    mcpAPIKeys.insert(slug, text);
}

std::optional<QString> SetupPickerState::effectiveKey(const QString& typed) {
    const QString key = typed.trimmed();
    if (key.isEmpty()) return std::nullopt;
    return key;
}

QList<MCPServer> SetupPickerState::serversToAdd(const MCPOffer& offer) const {
    QList<MCPServer> servers;
    for (const MCPServer& server : offer.listed)
        if (selectedMCP.contains(server.slug) && !offer.configured.contains(server.slug))
            servers.append(server);
    return servers;
}

std::optional<PendingInstall> SetupPickerState::mcpBatch(const MCPOffer& offer) const {
    const QList<MCPServer> servers = serversToAdd(offer);
    if (servers.isEmpty()) return std::nullopt;
    PendingInstall batch{QStringLiteral("mcp"), QStringLiteral("Add MCP servers"), {}, true};
    for (const MCPServer& server : servers)
        batch.remediations.append(
            SetupRemediation::addMCPServer(server, effectiveKey(mcpAPIKeys.value(server.slug))));
    return batch;
}

// ---- Git and GitHub ----

QString SetupPickerState::trimmedField(const QString& typed) {
    return typed.trimmed();
}

bool SetupPickerState::spansLines(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\v' || u == u'\f' || u == 0x85 || u == 0x2028 || u == 0x2029)
            return true;
    }
    return false;
}

GitFormState SetupPickerState::gitForm(const SetupProbeBundle& probes) const {
    GitFormState form;
    if (probes.gitIdentitySet) {
        form.showsFields = false;
        form.buttonEnabled = true;
        return form;
    }
    const QString name = trimmedField(gitName);
    const QString email = trimmedField(gitEmail);
    if (spansLines(name) || spansLines(email)) {
        form.hint = QStringLiteral("Your name and email must each fit on one line.");
        return form;
    }
    form.buttonEnabled = !name.isEmpty() && !email.isEmpty();
    return form;
}

PendingInstall SetupPickerState::gitBatch(const SetupProbeBundle& probes) const {
    PendingInstall batch{QStringLiteral("git"), QStringLiteral("Set up Git with GitHub"), {}, false};
    if (!probes.ghPresent) batch.remediations.append(SetupRemediation::installGh());
    const QString name = trimmedField(gitName);
    const QString email = trimmedField(gitEmail);
    if (!name.isEmpty() && !email.isEmpty() && !spansLines(name) && !spansLines(email))
        batch.remediations.append(SetupRemediation::configureGit(name, email));
    if (!probes.ghAuthed) batch.remediations.append(SetupRemediation::githubAuth());
    return batch;
}

// ---- Applications ----

void SetupPickerState::seedCasks(const QString& stageID, const QMap<QString, SetupRemediation>& offered) {
    if (didSeedCasks.contains(stageID)) return;
    didSeedCasks.insert(stageID);
    for (auto it = offered.keyBegin(); it != offered.keyEnd(); ++it)
        selectedCasks.insert(*it);
}

QList<PickerRow> SetupPickerState::caskRows(const SpineRenderPolicy::CaskMultiselect& kind,
                                            const QMap<QString, SetupRemediation>& offered) const {
    QList<PickerRow> rows;
    for (const SpineRenderPolicy::CaskChoice& item : kind.items) {
        const bool available = offered.contains(item.remediationID);
        PickerRow row;
        row.key = item.remediationID;
        row.checkboxID = item.accessibilityID;
        row.title = item.label;
        row.checked = available && selectedCasks.contains(item.remediationID);
        row.enabled = available;
        if (!available) {
            row.caption = alreadyInstalled;
            row.captionID = item.accessibilityID + QStringLiteral("-installed");
        }
        rows.append(row);
    }
    return rows;
}

void SetupPickerState::setCaskSelected(const QString& remediationID, bool selected) {
    toggle(selectedCasks, remediationID, selected);
}

QList<SetupRemediation>
SetupPickerState::casksToInstall(const SpineRenderPolicy::CaskMultiselect& kind,
                                 const QMap<QString, SetupRemediation>& offered) const {
    QList<SetupRemediation> remediations;
    for (const SpineRenderPolicy::CaskChoice& item : kind.items) {
        const auto found = offered.constFind(item.remediationID);
        if (found != offered.constEnd() && selectedCasks.contains(item.remediationID))
            remediations.append(*found);
    }
    return remediations;
}

std::optional<PendingInstall>
SetupPickerState::casksBatch(const SpineRenderPolicy::CaskMultiselect& kind,
                             const QMap<QString, SetupRemediation>& offered) const {
    const QList<SetupRemediation> remediations = casksToInstall(kind, offered);
    if (remediations.isEmpty()) return std::nullopt;
    return PendingInstall{kind.installID, kind.title, remediations, true};
}

} // namespace qlan
