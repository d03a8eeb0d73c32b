#pragma once
// The ~/.zprofile sheet: shows which lines the Java configuration block adds (or the whole resulting
// file), writes them with a backup when the user presses "Apply", and reports how it ended through
// `onFinish`. It draws a ZprofileDiffModel, made when the sheet is first shown from the services in
// effect for it; the preview is loaded then. No control holds the focus until the preview shows; then the
// diff's view control does ("Continue to verify" where the file already sets JAVA_HOME, Cancel where the
// file cannot be read), however soon the window became active. How a write ended is told to a screen reader
// once, wherever the focus is.

#include "progress/ZprofileDiffModel.h"

#include <QWidget>

#include <functional>

class QAbstractButton;
class QLabel;
class QPushButton;

namespace qlan {

class ActivityIndicator;
class CodeTextLabel;
class DiffRowsView;
class MarkdownLabel;
class ProminentButton;
class SegmentedControl;
class TelemetryService;
class TextLabel;

class ZprofileDiffSheet : public QWidget {
    Q_OBJECT
public:
    using OnFinish = std::function<void(const RemediationOutcome&)>;

    ZprofileDiffSheet(Remediation remediation, OnFinish onFinish, TelemetryService& telemetry,
                      QWidget* parent = nullptr);

    // The model, made on first use from the services in effect for the sheet.
    ZprofileDiffModel* model();
    // A close of the sheet: "Cancel" until the write has ended, then what that ended with.
    void closeRequested();

    DiffRowsView* rowsView() const { return rows_; }
    // The heading as plain text, its code spans read as the words they show.
    QString title() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void primaryPressed();

    Remediation remediation_;
    OnFinish onFinish_;
    TelemetryService& telemetry_;
    ZprofileDiffModel* model_ = nullptr;

    MarkdownLabel* heading_;
    ActivityIndicator* spinner_;
    TextLabel* loadError_;
    MarkdownLabel* alreadySet_;
    QWidget* diff_;
    MarkdownLabel* creationNote_;
    SegmentedControl* modes_;
    DiffRowsView* rows_;
    CodeTextLabel* backup_;
    TextLabel* notice_;
    TextLabel* applyError_;
    QWidget* buttonRow_;
    QWidget* leadSpace_;
    QWidget* middleSpace_;
    QPushButton* cancel_;
    ProminentButton* apply_;
    ProminentButton* continue_;
    QPushButton* close_;
    bool openedOnPreview_ = false;
    bool writeEndTold_ = false;
};

} // namespace qlan
