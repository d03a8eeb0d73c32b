#include "ui/audit/AuditWidgets.h"

#include "audit/AuditStageModel.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/RadioRow.h"
#include "ui/widgets/TextLabel.h"

#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlan {

OptionList::OptionList(const QString& question, const QList<std::pair<QString, QString>>& keyedLabels,
                       const QString& identifierPrefix, std::function<void(const QString&)> onSelect) {
    QVBoxLayout* layout = column(this, 6);
    auto* group = new RadioGroup(this, question);
    for (const auto& [key, label] : keyedLabels) {
        auto* row = new RadioRow(label, QString());
        setAccessibilityIdentifier(row, identifierPrefix + key);
        QObject::connect(row, &QAbstractButton::clicked, this, [onSelect, key = key] {
            if (onSelect) onSelect(key);
        });
        layout->addWidget(row);
        group->addChoice(row);
        rows_.append({key, row});
    }
}

void OptionList::showSelected(const std::optional<QString>& key) {
    for (const auto& [rowKey, row] : rows_)
        row->setSelected(key == rowKey);
}

void fillScreen(QWidget* screen, ScreenScaffold* scaffold) {
    auto* layout = new QVBoxLayout(screen);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scaffold);
}

AuditStageModel* makeStageModel(QWidget* screen, const QString& stageID, std::function<void()> onAdvance,
                                ProfileRefresh onProfileRefresh, const AuditScreenSeams& seams) {
    QPointer<QWidget> guarded(screen);
    AuditStageModel::Options options;
    options.stageID = stageID;
    options.onAdvance = std::move(onAdvance);
    options.onProfileRefresh = std::move(onProfileRefresh);
    options.openURL = [guarded](const QUrl& url) {
        if (guarded) DesktopActions::of(guarded)->openURL(url);
    };
    return new AuditStageModel(std::move(options), seams.telemetry, screen);
}

void presentFixSheets(QWidget* screen, AuditStageModel* model, FixSheetFactory factory) {
    auto current = std::make_shared<QPointer<QDialog>>();
    QPointer<AuditStageModel> guarded(model);
    QObject::connect(model, &AuditStageModel::sheetChanged, screen, [=] {
        if (!guarded) return;
        const auto& remediation = guarded->sheetRemediation();
        if (!remediation) {
            if (QDialog* sheet = *current) {
                current->clear();
                sheet->hide();
                sheet->deleteLater();
            }
            return;
        }
        if (*current) return;
        QDialog* sheet = factory(screen, *remediation, [guarded](RemediationOutcome outcome) {
            if (guarded) guarded->finish(outcome);
        });
        if (!sheet) {
            guarded->sheetClosed();
            return;
        }
        *current = sheet;
        sheet->setMinimumSize(560, 420);
        QObject::connect(sheet, &QDialog::finished, screen, [=] {
            if (*current != sheet) return;
            current->clear();
            sheet->deleteLater();
            if (guarded) guarded->sheetClosed();
        });
        openSheet(sheet);
    });
}

void disableWhileHeld(QWidget* actions, AuditStageModel* model) {
    QObject::connect(model, &AuditStageModel::heldChanged, actions,
                     [actions, model] { setActionsEnabled(actions, !model->isHeld()); });
}

} // namespace qlan
