#include "ui/audit/FinalAuditReport.h"

#include "ui/audit/AuditWidgets.h"
#include "ui/audit/HostedFeedbackCardView.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/NPSFeedbackCard.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TextLabel.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace qlan {

FinalAuditReport::FinalAuditReport(const SystemProfile& initialProfile, std::function<void()> onDone,
                                   const AppServices& services, const AuditScreenSeams& seams,
                                   QWidget* parent)
    : QWidget(parent) {
    model_ =
        new FinalAuditReportModel(initialProfile, std::move(onDone), services, seams.hostFor(services), this);
    connect(model_, &FinalAuditReportModel::profileChanged, this, &FinalAuditReport::showRows);

    auto* stack = new QWidget;
    QVBoxLayout* items = column(stack, 18);
    auto* status = new QWidget;
    setAccessibilityIdentifier(status, QStringLiteral("audit-final-report"));
    status->setAccessibleName(QStringLiteral("Audit results"));
    QVBoxLayout* rows = column(status, 6);
    for (int i = 0; i < 3; ++i) {
        auto* row = new QWidget;
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(8);
        auto* mark = new TextLabel(QString(), TextRole::callout, FontWeight::bold);
        mark->setWordWrap(false);
        auto* text = new TextLabel(QString(), TextRole::callout);
        line->addWidget(mark, 0, Qt::AlignVCenter);
        line->addWidget(text, 1, Qt::AlignVCenter);
        marks_ << mark;
        texts_ << text;
        rows->addWidget(row);
    }
    items->addWidget(status);
    if (NPSFeedbackCard* card = addHostedFeedbackCard(items, model_->feedback(), this))
        items->insertSpacing(items->indexOf(card), 8);
    done_ = new ProminentButton(QStringLiteral("Done — back to home"));
    connect(done_, &QPushButton::clicked, model_, &FinalAuditReportModel::done);
    addWithSpace(items, done_, 8);
    items->addStretch(1);

    auto* scroll = new QScrollArea;
    // Tab goes through the report's controls, which the scroll view brings into sight; it is no stop itself.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(stack);

    auto* scaffold =
        new ScreenScaffold(QStringLiteral("Your Mac at a glance"),
                           QStringLiteral("Here's what we found while running the system audit."), scroll,
                           ScreenScaffold::Options::withoutArticleLink());
    // The scroll view takes the height below the explanation in place of the scaffold's free space.
    if (auto* column = qobject_cast<QBoxLayout*>(scaffold->layout())) {
        const int at = column->indexOf(scroll);
        column->setStretch(at, 1);
        if (at + 1 < column->count()) column->setStretch(at + 1, 0);
    }
    fillScreen(this, scaffold);
    showRows();
}

void FinalAuditReport::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_->cameOnScreen();
}

void FinalAuditReport::showRows() {
    const QList<AuditReportRow> rows = FinalAuditReportModel::rows(model_->displayedProfile());
    for (qsizetype i = 0; i < rows.size() && i < marks_.size(); ++i) {
        marks_[i]->setText(rows[i].mark);
        texts_[i]->setText(rows[i].text);
        applySystemTextColor(marks_[i], rows[i].tone == AuditReportRow::Tone::good  ? SystemColor::green
                                        : rows[i].tone == AuditReportRow::Tone::bad ? SystemColor::red
                                                                                    : SystemColor::accent);
    }
}

} // namespace qlan
