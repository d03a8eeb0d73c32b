#pragma once
// The feedback card: how likely is the user to recommend the product, 0 to 10, with an optional reason.
// It sends the answer, marks the card answered on this Mac and thanks the user after a short pause;
// its Dismiss control hides it for good. Whether to show it, and "nps_shown", belong to the hosting
// screen; the card reports submission and dismissal to the screen's NPSFeedbackHost at once (not after
// the pause), so that leaving the screen adds no second "nps_dismissed".

#include <QFrame>
#include <QList>

#include <functional>
#include <memory>

class QAbstractButton;
class QPlainTextEdit;
class QPushButton;

namespace qlan {

class NPSFeedbackHost;
class RadioGroup;
class TextLabel;

class NPSFeedbackCard : public QFrame {
    Q_OBJECT
public:
    struct Phase {
        enum class Kind { scored, notYet, submitting, thanks };
        Kind kind = Kind::notYet;
        int score = 0; // for `scored`

        static Phase scored(int score) { return {Kind::scored, score}; }
        static Phase notYet() { return {Kind::notYet, 0}; }
        static Phase submitting() { return {Kind::submitting, 0}; }
        static Phase thanks() { return {Kind::thanks, 0}; }
        friend bool operator==(const Phase& a, const Phase& b) {
            return a.kind == b.kind && (a.kind != Kind::scored || a.score == b.score);
        }
    };

    // The host carries the store, the telemetry and the pause. `onSubmitted` runs once the thanks pause
    // after a submission is over (never when the card is gone by then); `onDismissed` runs when the user
    // dismisses the card.
    NPSFeedbackCard(std::shared_ptr<NPSFeedbackHost> host, std::function<void()> onSubmitted,
                    std::function<void()> onDismissed, QWidget* parent = nullptr);
    ~NPSFeedbackCard() override;

    Phase phase() const { return phase_; }
    QString reasonText() const;
    bool didDismiss() const { return didDismiss_; }

    // Selects a score; ignored once the answer is sent.
    void selectScore(int score);
    // Sends the selected score and the reason; only while a score is selected.
    void submit();
    // Hides the card for good.
    void dismiss();

    // "How likely are you to recommend <the current edition's name> to a friend or colleague?"
    static QString question();
    static constexpr int reasonLimit = 500;

    QAbstractButton* scoreButton(int score) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setPhase(Phase phase);
    void finishPause();

    std::shared_ptr<NPSFeedbackHost> host_;
    std::function<void()> onSubmitted_;
    std::function<void()> onDismissed_;
    Phase phase_;
    bool didDismiss_ = false;

    TextLabel* question_ = nullptr;
    QWidget* scoreGroup_ = nullptr;
    RadioGroup* scoreChoice_ = nullptr;
    QList<QAbstractButton*> scores_;
    QWidget* reasonRows_ = nullptr;
    QPlainTextEdit* reason_ = nullptr;
    QWidget* thanksRow_ = nullptr;
};

} // namespace qlan
