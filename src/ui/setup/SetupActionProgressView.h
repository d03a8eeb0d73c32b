#pragma once
// The action sheet's content: runs one batch of fixes (SetupActionBatch) and shows its filtered output
// live in the output list of the remediation sheets (OutputLinesView). While the batch runs it shows
// "Cancel", afterwards "Continue" (the Return key's button). It reports how it ended through `onFinish`
// exactly once (the batch keeps that it did): at once on Cancel, or when "Continue" is pressed. The
// batch starts when the view is first shown (or on `startRun`). When the batch ends, a screen reader is
// told how (outcomeText), and the focus stays where the user left it.

#include "setup/SetupActionBatch.h"
#include "setup/SetupActionOutcome.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace qlan {

class OutputLinesView;
class ProminentButton;
class SetupActionOutput;

class SetupActionProgressView : public QWidget {
    Q_OBJECT
public:
    using Outcome = SetupActionOutcome;
    using OnFinish = std::function<void(Outcome)>;

    SetupActionProgressView(const QString& title, QList<SetupRemediation> remediations,
                            SetupActionBatch::RunRemediation runner, bool continuesPastFailure,
                            OnFinish onFinish, const ProductConfig& edition, TelemetryService& telemetry,
                            QWidget* parent = nullptr);

    SetupActionBatch* batch() const { return batch_; }
    SetupActionOutput* output() const { return output_; }
    OutputLinesView* outputList() const { return list_; }

    // Starts the batch; only the first call counts.
    void startRun();
    // "Cancel": stops the batch and reports canceled at once.
    void cancel();
    // "Continue": reports how the batch ended.
    void finish();
    // Any close of the sheet: a Cancel while the batch runs; afterwards what "Continue" reports.
    void closeRequested();

    static QString statusText() {
        return QStringLiteral("Working… this can take a minute — please keep this window open.");
    }
    // What a screen reader is told when the batch ends: the title and how it ended.
    static QString outcomeText(const QString& title, Outcome outcome, std::optional<std::int32_t> exitCode);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void updateBottomRow();

    SetupActionBatch* batch_;
    SetupActionOutput* output_;
    OnFinish onFinish_;
    OutputLinesView* list_;
    QWidget* running_;
    QWidget* ended_;
    ProminentButton* continue_;
    QString title_;
};

} // namespace qlan
