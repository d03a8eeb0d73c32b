#include "ui/widgets/NPSFeedbackCard.h"

#include "editions/ProductConfig.h"
#include "telemetry/NPSFeedbackHost.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/BorderlessButton.h"
#include "ui/widgets/FramedBox.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/SymbolIcon.h"
#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TextLabel.h"
#include "ui/widgets/TypeScale.h"

#include <QAbstractButton>
#include <QEasingCurve>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace qlan {
namespace {

// One score: its number in a 30-point circle, filled with the accent colour when selected. A change of
// selection eases in over 0.2 s: the fill and the white text come in as the ring goes, and back.
class ScoreButton : public QAbstractButton {
public:
    ScoreButton(int score, QWidget* parent = nullptr)
        : QAbstractButton(parent) {
        setText(QString::number(score));
        setCheckable(true);
        // As on the Mac, a click does not take the focus; Tab reaches the score.
        setFocusPolicy(Qt::TabFocus);
        // One choice of the eleven.
        setAccessibleRole(this, QAccessible::RadioButton);
        setFixedSize(30, 30);
        setFocusRingRadius(this, 15);
        setCursor(Qt::PointingHandCursor);
        TypeScale::apply(this, TextRole::callout);
        easing_->setDuration(200);
        // The Mac's ease-out curve.
        QEasingCurve easeOut(QEasingCurve::BezierSpline);
        easeOut.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
        easing_->setEasingCurve(easeOut);
        connect(easing_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
            selection_ = value.toReal();
            update();
        });
    }

    void setSelected(bool selected) {
        if (selected == isChecked()) return;
        setChecked(selected);
        TypeScale::apply(this, TextRole::callout, selected ? FontWeight::semibold : FontWeight::regular);
        easing_->stop();
        easing_->setStartValue(selection_);
        easing_->setEndValue(selected ? 1.0 : 0.0);
        easing_->start();
    }

protected:
    void nextCheckState() override {}
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF circle = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(Qt::NoPen);
        // The accent, darkened as a prominent button's so that the white number reads on it.
        painter.setBrush(withAlpha(ProminentButton::fillColor(palette()), selection_));
        painter.drawEllipse(circle);
        painter.setPen(QPen(withAlpha(TypeScale::secondaryColor(palette()), 0.4 * (1 - selection_)), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle);
        painter.setPen(
            blended(palette().color(QPalette::Active, QPalette::WindowText), Qt::white, selection_));
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter, text());
    }

private:
    QVariantAnimation* easing_ = new QVariantAnimation(this); // a child: what shows the card sees it run
    qreal selection_ = 0;                                     // 0 not selected, 1 selected
};

TextLabel* secondaryCaption(const QString& text) {
    auto* label = new TextLabel(text, TextRole::caption);
    TypeScale::applySecondaryStyle(label);
    return label;
}

} // namespace

NPSFeedbackCard::NPSFeedbackCard(std::shared_ptr<NPSFeedbackHost> host, std::function<void()> onSubmitted,
                                 std::function<void()> onDismissed, QWidget* parent)
    : QFrame(parent)
    , host_(std::move(host))
    , onSubmitted_(std::move(onSubmitted))
    , onDismissed_(std::move(onDismissed)) {
    const QString heading = QStringLiteral("How are we doing?");
    setAccessibilityIdentifier(this, QStringLiteral("nps-card"));
    setAccessibleName(heading);
    setAccessibleRole(this, QAccessible::Grouping);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(14);

    auto* header = new QHBoxLayout;
    header->setSpacing(0);
    header->addWidget(new TextLabel(heading, TextRole::headline), 0, Qt::AlignBaseline);
    header->addStretch(1);
    auto* dismissButton = new BorderlessButton(QStringLiteral("Dismiss"), TextRole::footnote);
    setAccessibilityIdentifier(dismissButton, QStringLiteral("nps-dismiss"));
    connect(dismissButton, &QPushButton::clicked, this, &NPSFeedbackCard::dismiss);
    header->addWidget(dismissButton, 0, Qt::AlignBaseline);
    stack->addLayout(header);

    question_ = new TextLabel(question(), TextRole::callout);
    stack->addWidget(question_);

    // The scores are one choice, named by the question; the ends of the scale say what they mean.
    const QString leastLikely = QStringLiteral("Not at all likely");
    const QString mostLikely = QStringLiteral("Extremely likely");
    scoreGroup_ = new QWidget;
    scoreChoice_ = new RadioGroup(scoreGroup_, question_->text());
    auto* scoreRow = new QHBoxLayout(scoreGroup_);
    scoreRow->setContentsMargins(0, 0, 0, 0);
    scoreRow->setSpacing(4);
    for (int score = 0; score <= 10; ++score) {
        auto* button = new ScoreButton(score);
        setAccessibilityIdentifier(button, QStringLiteral("nps-score-%1").arg(score));
        connect(button, &QAbstractButton::clicked, this, [this, score] { selectScore(score); });
        if (score == 0) button->setAccessibleDescription(leastLikely);
        if (score == 10) button->setAccessibleDescription(mostLikely);
        scoreRow->addWidget(button, 0, Qt::AlignVCenter);
        scoreChoice_->addChoice(button);
        scores_.append(button);
    }
    scoreRow->addStretch(1);
    stack->addWidget(scoreGroup_);

    auto* scale = new QHBoxLayout;
    scale->setSpacing(0);
    scale->addWidget(secondaryCaption(leastLikely));
    scale->addStretch(1);
    scale->addWidget(secondaryCaption(mostLikely));
    stack->addLayout(scale);

    // Shown only while a score is selected.
    reasonRows_ = new QWidget;
    auto* reasonLayout = new QVBoxLayout(reasonRows_);
    reasonLayout->setContentsMargins(0, 4, 0, 0);
    reasonLayout->setSpacing(14);
    const QString reasonPrompt = QStringLiteral("What's the main reason for your score? (optional)");
    reasonLayout->addWidget(secondaryCaption(reasonPrompt));
    // The editor draws no frame or background of its own: the box around it gives both.
    reason_ = new QPlainTextEdit;
    reason_->setAccessibleName(reasonPrompt);
    reason_->setTabChangesFocus(true); // Tab moves on to "Submit feedback", never into the reason
    reason_->setFrameShape(QFrame::NoFrame);
    reason_->viewport()->setAutoFillBackground(false);
    reason_->setMinimumHeight(60);
    reason_->setMaximumHeight(90);
    TypeScale::apply(reason_, TextRole::callout);
    reasonLayout->addWidget(new FramedBox(reason_, 4));
    auto* submitRow = new QHBoxLayout;
    submitRow->addStretch(1);
    auto* submitButton = new ProminentButton(QStringLiteral("Submit feedback"), ControlSize::regular);
    setAccessibilityIdentifier(submitButton, QStringLiteral("nps-submit"));
    connect(submitButton, &QPushButton::clicked, this, &NPSFeedbackCard::submit);
    submitRow->addWidget(submitButton);
    reasonLayout->addLayout(submitRow);
    stack->addWidget(reasonRows_);

    // Shown only after the thanks pause.
    thanksRow_ = new QWidget;
    auto* thanksLayout = new QHBoxLayout(thanksRow_);
    thanksLayout->setContentsMargins(0, 4, 0, 0);
    thanksLayout->setSpacing(6);
    thanksLayout->addWidget(
        new SymbolIcon(Symbol::checkmarkCircleFill, SystemColor::green, TextRole::callout), 0,
        Qt::AlignVCenter);
    thanksLayout->addWidget(new TextLabel(QStringLiteral("Thanks for the feedback."), TextRole::callout), 1,
                            Qt::AlignVCenter);
    stack->addWidget(thanksRow_);

    setPhase(Phase::notYet());
}

NPSFeedbackCard::~NPSFeedbackCard() = default;

QString NPSFeedbackCard::question() {
    return QStringLiteral("How likely are you to recommend ") + ProductConfig::current().displayName +
           QStringLiteral(" to a friend or colleague?");
}

QString NPSFeedbackCard::reasonText() const {
    return reason_->toPlainText();
}

QAbstractButton* NPSFeedbackCard::scoreButton(int score) const {
    return score >= 0 && score < scores_.size() ? scores_[score] : nullptr;
}

void NPSFeedbackCard::selectScore(int score) {
    if (phase_.kind == Phase::Kind::submitting || phase_.kind == Phase::Kind::thanks) return;
    setPhase(Phase::scored(score));
}

void NPSFeedbackCard::submit() {
    if (phase_.kind != Phase::Kind::scored) return;
    const int score = phase_.score;
    setPhase(Phase::submitting());
    host_->recordSubmission(score, reasonText());
    // The pause may outlast the card: then nothing more happens.
    QPointer<NPSFeedbackCard> self(this);
    host_->pause(this, [self] {
        if (self) self->finishPause();
    });
}

void NPSFeedbackCard::finishPause() {
    if (phase_.kind != Phase::Kind::submitting) return;
    setPhase(Phase::thanks());
    if (onSubmitted_) onSubmitted_();
}

void NPSFeedbackCard::dismiss() {
    if (didDismiss_) return;
    host_->recordDismissal();
    didDismiss_ = true;
    hide();
    if (onDismissed_) onDismissed_();
}

void NPSFeedbackCard::setPhase(Phase phase) {
    phase_ = phase;
    for (int score = 0; score < scores_.size(); ++score)
        static_cast<ScoreButton*>(scores_[score])->setSelected(phase_ == Phase::scored(score));
    reasonRows_->setVisible(phase_.kind == Phase::Kind::scored);
    thanksRow_->setVisible(phase_.kind == Phase::Kind::thanks);
    // The card grows and shrinks with its rows. Left to the event loop, the layouts around it would follow
    // one turn at a time, and the frame would be drawn at its old height around the new rows meanwhile:
    // each lays itself out now, from the card outwards.
    for (QWidget* widget = this; widget && !widget->isWindow(); widget = widget->parentWidget())
        if (widget->layout()) widget->layout()->activate();
}

void NPSFeedbackCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor secondary = TypeScale::secondaryColor(palette());
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter.fillPath(shape, withAlpha(secondary, 0.08));
    painter.setPen(QPen(withAlpha(secondary, 0.25), 1));
    painter.drawPath(shape);
}

void NPSFeedbackCard::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    question_->setText(question());
    scoreChoice_->setQuestion(question());
}

} // namespace qlan
