#pragma once
// Small pieces the audit's screens share: the answers of a follow-up question, a screen filled edge to edge
// by its scaffold, and the fix sheet kept in step with a stage screen's model. The column and the buttons in
// their styles are in ScreenPieces.

#include "ui/audit/AuditScreenSeams.h"
#include "ui/widgets/ScreenPieces.h"
#include "ui/widgets/TypeScale.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <utility>

class QPushButton;
class QVBoxLayout;
class QWidget;

namespace qlan {

class RadioRow;

class AuditStageModel;
class ScreenScaffold;

// The answers of a follow-up question: one radio row per (key, label), 6 points apart, each named
// `identifierPrefix` followed by its key, in one group named by the question (see RadioGroup.h); a click
// or an arrow key calls `onSelect` with the key.
class OptionList : public QWidget {
public:
    OptionList(const QString& question, const QList<std::pair<QString, QString>>& keyedLabels,
               const QString& identifierPrefix, std::function<void(const QString&)> onSelect);
    // Marks the row of `key` selected and the others not.
    void showSelected(const std::optional<QString>& key);

private:
    QList<std::pair<QString, RadioRow*>> rows_;
};

// Puts `scaffold` into `screen`, edge to edge.
void fillScreen(QWidget* screen, ScreenScaffold* scaffold);

// The model of a stage screen, owned by it: links open through the screen's desktop actions.
AuditStageModel* makeStageModel(QWidget* screen, const QString& stageID, std::function<void()> onAdvance,
                                ProfileRefresh onProfileRefresh, const AuditScreenSeams& seams);

// Opens the fix sheet window-modal over `screen` (at least 560 by 420) whenever the model holds a
// remediation, and closes it when the model lets go. A sheet that the user closes without a report
// counts as a cancel; the sheet is destroyed either way, which stops any job it still runs.
void presentFixSheets(QWidget* screen, AuditStageModel* model, FixSheetFactory factory);
// Shows `actions`, the part of a stage screen that holds its controls, disabled while the model holds them
// (its re-probe after a fix runs, or the fix's end leaves the stage).
void disableWhileHeld(QWidget* actions, AuditStageModel* model);

} // namespace qlan
