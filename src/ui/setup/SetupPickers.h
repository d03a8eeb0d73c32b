#pragma once
// The special sub-screens of the guided setup's stage screen: the languages picker, the project actions,
// the skills and MCP server pickers, the Git and GitHub form and the application picker. Each draws the
// pickers' shared state (owned by the setup screen, so that ticks survive from stage to stage), writes
// the user's ticks and typing into it, and stores its one batch in the flow model's pending install,
// which opens the action sheet. None runs anything itself or sends usage events.
//
// The skills and MCP server pickers read what the Mac already has (skill folders, agent configurations)
// off the GUI thread when they are built, showing a spinner and no rows until the read is back; the
// languages picker asks its detector when it is built and after each tick. The stage screen builds new
// pickers after every batch: a skills or MCP picker built in place of one that had read the Mac shows its
// rows at once, as they stood, and reads the Mac again quietly, replacing the rows only where they changed,
// so that nothing under the closing sheet moves or stands disabled.

#include "catalog/LanguageDetector.h"
#include "catalog/SpineRenderPolicy.h"
#include "platform/Worker.h"
#include "setup/SetupFlowModel.h"
#include "setup/SetupPickerState.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>
#include <stop_token>

class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace qlan {

class PickerRowList;
class ProminentButton;
class TextLabel;

// What every picker holds: the shared state and the model that receives the batch. Both must outlive the
// picker.
class SetupPicker : public QWidget {
    Q_OBJECT
public:
    SetupPicker(SetupPickerState* state, SetupFlowModel* model, QWidget* parent);
    ~SetupPicker() override;

    // The guide site's page behind the "more skills" and "more MCP servers" links.
    static QUrl curatedListsURL();

protected:
    // Asks the model to run the batch; nothing happens without one or while another batch is pending.
    void store(const std::optional<SetupFlowModel::PendingInstall>& batch);
    // Runs `read` off the GUI thread (under a spinner unless `quietly`), then `done` with its result on the
    // GUI thread unless the picker is gone by then; the read's stop token is set when the picker goes.
    template <typename Read, typename Done> void readOffThread(Read read, Done done, bool quietly = false) {
        QWidget* spinner = quietly ? nullptr : addSpinner();
        read_ = runOffThread(this, std::move(read), [spinner, done = std::move(done)](auto result) mutable {
            delete spinner;
            done(std::move(result));
        });
    }

    SetupPickerState* state_;
    QPointer<SetupFlowModel> model_;
    QVBoxLayout* layout_;

private:
    QWidget* addSpinner();

    std::stop_source read_;
};

class LanguagesPicker : public SetupPicker {
    Q_OBJECT
public:
    LanguagesPicker(SetupPickerState* state, SetupFlowModel* model, LanguageDetector detector,
                    QWidget* parent = nullptr);
    // Asks the detector again and redraws.
    void refresh();
    void installLanguages();

private:
    LanguageDetector detector_;
    QList<SetupPickerState::LanguageFinding> findings_;
    PickerRowList* rows_;
    ProminentButton* install_;
};

class ProjectActions : public SetupPicker {
    Q_OBJECT
public:
    // `templates`: those of the stage's project fixes, in order; `folderPrompt`: the folder chooser's
    // message (the edition's wording).
    ProjectActions(SetupPickerState* state, SetupFlowModel* model, QList<ProjectTemplate> templates,
                   QString folderPrompt, QWidget* parent = nullptr);
    void createProjectInDocuments();
    // Asks for a folder through the desktop actions in effect; a cancelled chooser stores nothing.
    void createProjectInChosenFolder();

private:
    QList<ProjectTemplate> templates_;
    QString folderPrompt_;
};

class SkillsPicker : public SetupPicker {
    Q_OBJECT
public:
    // Ticks the preselected skills the first time any skills picker has read what is installed for
    // `state`. `replaced`: the picker this one takes the place of on the stage built anew after a batch.
    SkillsPicker(SetupPickerState* state, SetupFlowModel* model, std::optional<SystemProfile> profile,
                 std::shared_ptr<FileSystemOperating> fs, const SkillsPicker* replaced = nullptr,
                 QWidget* parent = nullptr);
    void refresh();
    void addSkills();

private:
    void showOffer(SetupPickerState::SkillsOffer offer);

    std::optional<SetupPickerState::SkillsOffer> offer_; // none until the Mac has been read
    PickerRowList* rows_;
    ProminentButton* add_;
};

class MCPPicker : public SetupPicker {
    Q_OBJECT
public:
    // `replaced`: the picker this one takes the place of on the stage built anew after a batch.
    MCPPicker(SetupPickerState* state, SetupFlowModel* model, std::shared_ptr<FileSystemOperating> fs,
              const MCPPicker* replaced = nullptr, QWidget* parent = nullptr);
    void refresh();
    void addMCPServers();

private:
    void showOffer(SetupPickerState::MCPOffer offer);

    std::optional<SetupPickerState::MCPOffer> offer_; // none until the Mac has been read
    PickerRowList* rows_;
    ProminentButton* add_;
};

class GitSetupForm : public SetupPicker {
    Q_OBJECT
public:
    GitSetupForm(SetupPickerState* state, SetupFlowModel* model, SetupProbeBundle probes,
                 QWidget* parent = nullptr);
    void startGitSetup();
    static QUrl signUpURL();

private:
    void refresh();

    SetupProbeBundle probes_;
    TextLabel* hint_;
    ProminentButton* setUp_;
};

class CasksPicker : public SetupPicker {
    Q_OBJECT
public:
    // `offered`: the stage's fixes; ticks all of them the first time the stage `stageID` is shown.
    CasksPicker(SetupPickerState* state, SetupFlowModel* model, QString stageID,
                SpineRenderPolicy::CaskMultiselect kind, const QList<SetupRemediation>& offered,
                QWidget* parent = nullptr);
    void refresh();
    void installSelectedCasks();

private:
    SpineRenderPolicy::CaskMultiselect kind_;
    QMap<QString, SetupRemediation> offered_;
    PickerRowList* rows_;
    ProminentButton* install_;
};

} // namespace qlan
