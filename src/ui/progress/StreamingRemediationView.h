#pragma once
// The screen of the remediation sheet that carries a fix out as a job with live output: the case's title
// and explanation, the output list, the ~/.zshrc card after a mise or jEnv job that needs it, and the
// bottom row (running with "Cancel", "Canceling…", "Skip" with "Apply ~/.zshrc change" while that change
// waits, the finish button, or "Open the article" with "Close"), whose buttons stand at one height in
// every state. It draws a StreamingRemediationModel, made when the screen is first shown from the services
// in effect for it; the job starts then. How the screen ended reaches `onFinish` on the GUI thread.
// When the job ends, a screen reader is told the row's status text or the outcome; the focus stays.

#include "progress/StreamingRemediationModel.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace qlan {

class ActivityIndicator;
class LinkLabel;
class OutputLinesModel;
class OutputLinesView;
class ProminentButton;
class TelemetryService;
class TextLabel;
class ZshrcActivationCard;

class StreamingRemediationView : public QWidget {
    Q_OBJECT
public:
    using OnFinish = std::function<void(const RemediationOutcome&)>;

    StreamingRemediationView(Remediation remediation, OnFinish onFinish, TelemetryService& telemetry,
                             QWidget* parent = nullptr);

    // Where the jobs fetch from; takes effect when set before the screen is first shown.
    void setSources(const StreamingRemediationModel::Sources& sources) { sources_ = sources; }

    // The model, made on first use from the services in effect for the screen.
    StreamingRemediationModel* model();
    // A close of the sheet: while the job runs it stops and the screen reports `canceled`; afterwards
    // the screen reports what ended (a ~/.zshrc change that waits is skipped first).
    void closeRequested();
    // Esc: Skip while a ~/.zshrc change waits, else as a close.
    void escapePressed();

    // The title its heading shows.
    QString title() const { return StreamingRemediationModel::title(remediation_); }
    OutputLinesView* outputView() const { return output_; }
    QPushButton* cancelButton() const { return cancel_; }
    ProminentButton* finishButton() const { return finish_; }
    QPushButton* closeButton() const { return close_; }
    ProminentButton* applyZshrcButton() const { return applyZshrc_; }
    QPushButton* skipZshrcButton() const { return skipZshrc_; }
    LinkLabel* articleLink() const { return article_; }
    // The status text of the running row: "Running…" or "Canceling…".
    QString statusText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    Remediation remediation_;
    OnFinish onFinish_;
    TelemetryService& telemetry_;
    StreamingRemediationModel::Sources sources_;
    StreamingRemediationModel* model_ = nullptr;

    OutputLinesView* output_;
    OutputLinesModel* outputModel_ = nullptr;
    QWidget* cardSlot_;
    ZshrcActivationCard* card_ = nullptr;
    QStackedWidget* bottom_;
    QWidget* runningRow_;
    QWidget* pendingRow_;
    QWidget* succeededRow_;
    QWidget* failedRow_;
    ActivityIndicator* spinner_;
    TextLabel* status_;
    QPushButton* cancel_;
    QPushButton* skipZshrc_;
    ProminentButton* applyZshrc_;
    ProminentButton* finish_;
    LinkLabel* article_;
    QPushButton* close_;
    bool endAnnounced_ = false;
};

} // namespace qlan
