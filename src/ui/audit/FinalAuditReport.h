#pragma once
// The last screen of the staged audit, "Your Mac at a glance": three status lines from a profile probed
// afresh when the screen is first shown, the feedback card for users who have not answered it yet, and
// "Done — back to home", which hands control back through `onDone`.

#include "audit/FinalAuditReportModel.h"
#include "ui/audit/AuditScreenSeams.h"

#include <QList>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace qlan {

class FinalAuditReport : public QWidget {
    Q_OBJECT
public:
    FinalAuditReport(const SystemProfile& initialProfile, std::function<void()> onDone,
                     const AppServices& services, const AuditScreenSeams& seams, QWidget* parent = nullptr);

    FinalAuditReportModel* model() const { return model_; }
    QPushButton* doneButton() const { return done_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showRows();

    FinalAuditReportModel* model_ = nullptr;
    QList<QLabel*> marks_;
    QList<QLabel*> texts_;
    QPushButton* done_ = nullptr;
};

} // namespace qlan
