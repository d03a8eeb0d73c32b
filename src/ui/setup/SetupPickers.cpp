#include "ui/setup/SetupPickers.h"

#include "catalog/VendorHosts.h"
#include "editions/ProductConfig.h"
#include "setup/SetupStagePlan.h"
#include "ui/setup/PickerRowList.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TextLabel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlan {
namespace {

ProminentButton* addButton(QVBoxLayout* layout, const QString& title, const QString& identifier) {
    auto* button = new ProminentButton(title);
    setAccessibilityIdentifier(button, identifier);
    layout->addSpacing(4);
    layout->addWidget(button, 0, Qt::AlignLeft);
    return button;
}

void addLink(QVBoxLayout* layout, const QString& label, const QUrl& destination) {
    layout->addSpacing(2);
    layout->addWidget(new LinkLabel(label, destination, TextRole::footnote), 0, Qt::AlignLeft);
}

} // namespace

// ---- SetupPicker ----

SetupPicker::SetupPicker(SetupPickerState* state, SetupFlowModel* model, QWidget* parent)
    : QWidget(parent)
    , state_(state)
    , model_(model)
    , layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(8);
}

SetupPicker::~SetupPicker() {
    read_.request_stop();
}

QWidget* SetupPicker::addSpinner() {
    auto* spinner = new ActivityIndicator(ControlSize::small);
    spinner->setObjectName(QStringLiteral("picker-loading"));
    layout_->insertWidget(0, spinner, 0, Qt::AlignLeft);
    return spinner;
}

QUrl SetupPicker::curatedListsURL() {
    return ProductURLs::guidePage(QStringLiteral("/quillane/coming-soon"));
}

void SetupPicker::store(const std::optional<SetupFlowModel::PendingInstall>& batch) {
    if (batch && model_) model_->request(*batch);
}

// ---- Languages ----

LanguagesPicker::LanguagesPicker(SetupPickerState* state, SetupFlowModel* model, LanguageDetector detector,
                                 QWidget* parent)
    : SetupPicker(state, model, parent)
    , detector_(std::move(detector))
    , rows_(new PickerRowList(this)) {
    layout_->addWidget(rows_);
    install_ =
        addButton(layout_, QStringLiteral("Install selected languages"), QStringLiteral("install-languages"));
    connect(rows_, &PickerRowList::toggled, this, [this](const QString& key, bool checked) {
        if (const auto language = fromText<QLANLanguage>(key))
            state_->setLanguageSelected(*language, checked);
        refresh();
    });
    connect(install_, &QPushButton::clicked, this, &LanguagesPicker::installLanguages);
    refresh();
}

void LanguagesPicker::refresh() {
    findings_ = SetupPickerState::detectLanguages(detector_);
    rows_->setRows(state_->languageRows(findings_));
    install_->setEnabled(!state_->languagesToInstall(findings_).isEmpty());
}

void LanguagesPicker::installLanguages() {
    store(state_->languagesBatch(SetupPickerState::detectLanguages(detector_)));
}

// ---- Project ----

ProjectActions::ProjectActions(SetupPickerState* state, SetupFlowModel* model,
                               QList<ProjectTemplate> templates, QString folderPrompt, QWidget* parent)
    : SetupPicker(state, model, parent)
    , templates_(std::move(templates))
    , folderPrompt_(std::move(folderPrompt)) {
    // The two buttons one under the other.
    auto* inDocuments = new ProminentButton(QStringLiteral("Install in Documents"));
    setAccessibilityIdentifier(inDocuments, QStringLiteral("create-project"));
    auto* choose = new QPushButton(QStringLiteral("Choose my folder…"));
    setAccessibilityIdentifier(choose, QStringLiteral("choose-project-folder"));
    layout_->addWidget(inDocuments, 0, Qt::AlignLeading);
    layout_->addWidget(choose, 0, Qt::AlignLeading);
    connect(inDocuments, &QPushButton::clicked, this, &ProjectActions::createProjectInDocuments);
    connect(choose, &QPushButton::clicked, this, &ProjectActions::createProjectInChosenFolder);
}

void ProjectActions::createProjectInDocuments() {
    store(SetupPickerState::projectInDocumentsBatch(templates_));
}

void ProjectActions::createProjectInChosenFolder() {
    const QPointer<ProjectActions> self(this);
    const std::optional<QString> folder =
        DesktopActions::of(this)->chooseFolder(window(), {folderPrompt_, QStringLiteral("Choose")});
    if (!self) return; // the screen went away while the chooser was open
    store(SetupPickerState::projectInFolderBatch(folder));
}

// ---- Skills ----

SkillsPicker::SkillsPicker(SetupPickerState* state, SetupFlowModel* model,
                           std::optional<SystemProfile> profile, std::shared_ptr<FileSystemOperating> fs,
                           const SkillsPicker* replaced, QWidget* parent)
    : SetupPicker(state, model, parent)
    , offer_(replaced ? replaced->offer_ : std::nullopt)
    , rows_(new PickerRowList(this)) {
    layout_->addWidget(rows_);
    addLink(layout_, QStringLiteral("Browse curated lists of more skills →"), curatedListsURL());
    add_ = addButton(layout_, QStringLiteral("Add selected"), QStringLiteral("add-skills"));
    connect(rows_, &PickerRowList::toggled, this, [this](const QString& slug, bool checked) {
        state_->setSkillSelected(slug, checked);
        refresh();
    });
    connect(add_, &QPushButton::clicked, this, &SkillsPicker::addSkills);
    refresh();
    readOffThread([profile = std::move(profile), fs = std::move(fs)](
                      std::stop_token stop) { return SetupPickerState::skillsOffer(profile, fs, stop); },
                  [this](SetupPickerState::SkillsOffer offer) { showOffer(std::move(offer)); },
                  /*quietly=*/offer_.has_value());
}

void SkillsPicker::showOffer(SetupPickerState::SkillsOffer offer) {
    state_->seedSkills(offer);
    if (offer_ == offer) return;
    offer_ = std::move(offer);
    refresh();
}

void SkillsPicker::refresh() {
    const SetupPickerState::SkillsOffer offer = offer_.value_or(SetupPickerState::SkillsOffer{});
    rows_->setRows(state_->skillRows(offer));
    add_->setEnabled(!state_->skillsToAdd(offer).isEmpty());
}

void SkillsPicker::addSkills() {
    if (offer_) store(state_->skillsBatch(*offer_));
}

// ---- MCP servers ----

MCPPicker::MCPPicker(SetupPickerState* state, SetupFlowModel* model, std::shared_ptr<FileSystemOperating> fs,
                     const MCPPicker* replaced, QWidget* parent)
    : SetupPicker(state, model, parent)
    , offer_(replaced ? replaced->offer_ : std::nullopt)
    , rows_(new PickerRowList(this)) {
    layout_->addWidget(rows_);
    addLink(layout_, QStringLiteral("Browse curated lists of more MCP servers →"), curatedListsURL());
    add_ = addButton(layout_, QStringLiteral("Add selected"), QStringLiteral("add-mcp"));
    connect(rows_, &PickerRowList::toggled, this, [this](const QString& slug, bool checked) {
        state_->setMCPSelected(slug, checked);
        refresh();
    });
    connect(rows_, &PickerRowList::keyEdited, this,
            [this](const QString& slug, const QString& text) { state_->setMCPKey(slug, text); });
    connect(add_, &QPushButton::clicked, this, &MCPPicker::addMCPServers);
    refresh();
    readOffThread([fs = std::move(fs)](std::stop_token stop) { return SetupPickerState::mcpOffer(fs, stop); },
                  [this](SetupPickerState::MCPOffer offer) { showOffer(std::move(offer)); },
                  /*quietly=*/offer_.has_value());
}

void MCPPicker::showOffer(SetupPickerState::MCPOffer offer) {
    if (offer_ == offer) return;
    offer_ = std::move(offer);
    refresh();
}

void MCPPicker::refresh() {
    const SetupPickerState::MCPOffer offer = offer_.value_or(SetupPickerState::MCPOffer{});
    rows_->setRows(state_->mcpRows(offer), state_->mcpAPIKeys);
    add_->setEnabled(!state_->serversToAdd(offer).isEmpty());
}

void MCPPicker::addMCPServers() {
    if (offer_) store(state_->mcpBatch(*offer_));
}

// ---- Git and GitHub ----

GitSetupForm::GitSetupForm(SetupPickerState* state, SetupFlowModel* model, SetupProbeBundle probes,
                           QWidget* parent)
    : SetupPicker(state, model, parent)
    , probes_(std::move(probes)) {
    if (probes_.gitIdentitySet) {
        auto* caption = new TextLabel(
            QStringLiteral("Your Git name and email are already set. Sign in to GitHub to finish."),
            TextRole::caption);
        TypeScale::applySecondaryStyle(caption);
        layout_->addWidget(caption);
    } else {
        const auto field = [this](const QString& placeholder, const QString& name, const QString& identifier,
                                  const QString& text) {
            auto* edit = new QLineEdit(text);
            edit->setPlaceholderText(placeholder);
            edit->setAccessibleName(name);
            edit->setMaximumWidth(360);
            setAccessibilityIdentifier(edit, identifier);
            layout_->addWidget(edit);
            return edit;
        };
        QLineEdit* name = field(QStringLiteral("Your name"), QStringLiteral("Your name"),
                                QStringLiteral("git-name"), state_->gitName);
        QLineEdit* email = field(QStringLiteral("you@example.com"), QStringLiteral("Your email"),
                                 QStringLiteral("git-email"), state_->gitEmail);
        connect(name, &QLineEdit::textChanged, this, [this](const QString& text) {
            state_->gitName = text;
            refresh();
        });
        connect(email, &QLineEdit::textChanged, this, [this](const QString& text) {
            state_->gitEmail = text;
            refresh();
        });
    }
    setUp_ = addButton(layout_, QStringLiteral("Set up Git with GitHub"), QStringLiteral("setup-git"));
    hint_ = new TextLabel(QString(), TextRole::footnote);
    setAccessibilityIdentifier(hint_, QStringLiteral("git-hint"));
    applyWarningStyle(hint_);
    layout_->addWidget(hint_);
    addLink(layout_, QStringLiteral("Create a GitHub account →"), signUpURL());
    connect(setUp_, &QPushButton::clicked, this, &GitSetupForm::startGitSetup);
    refresh();
}

QUrl GitSetupForm::signUpURL() {
    return QUrl(QStringLiteral("https://") + QLatin1String(VendorHosts::codeHost) +
                QStringLiteral("/signup"));
}

void GitSetupForm::refresh() {
    const GitFormState form = state_->gitForm(probes_);
    setUp_->setEnabled(form.buttonEnabled);
    hint_->setText(form.hint);
    hint_->setVisible(!form.hint.isEmpty());
}

void GitSetupForm::startGitSetup() {
    if (!state_->gitForm(probes_).buttonEnabled) return;
    store(state_->gitBatch(probes_));
}

// ---- Applications ----

CasksPicker::CasksPicker(SetupPickerState* state, SetupFlowModel* model, QString stageID,
                         SpineRenderPolicy::CaskMultiselect kind, const QList<SetupRemediation>& offered,
                         QWidget* parent)
    : SetupPicker(state, model, parent)
    , kind_(std::move(kind))
    , offered_(SetupStagePlan::offeredByID(offered))
    , rows_(new PickerRowList(this)) {
    layout_->addWidget(rows_);
    install_ = addButton(layout_, QStringLiteral("Install selected"), kind_.installID);
    connect(rows_, &PickerRowList::toggled, this, [this](const QString& id, bool checked) {
        state_->setCaskSelected(id, checked);
        refresh();
    });
    connect(install_, &QPushButton::clicked, this, &CasksPicker::installSelectedCasks);
    state_->seedCasks(stageID, offered_);
    refresh();
}

void CasksPicker::refresh() {
    rows_->setRows(state_->caskRows(kind_, offered_));
    install_->setEnabled(!state_->casksToInstall(kind_, offered_).isEmpty());
}

void CasksPicker::installSelectedCasks() {
    store(state_->casksBatch(kind_, offered_));
}

} // namespace qlan
