#pragma once
// The audit's short ending for a person who came from the Java diagnosis on a Mac without development
// tooling: confirms that Java works, may ask for feedback, may invite to a full check of the Mac, and
// leads back home.

#include "appshell/NavigationValues.h"
#include "audit/SimplifiedCompletionModel.h"
#include "ui/audit/AuditScreenSeams.h"

#include <QWidget>

#include <functional>
#include <memory>

class QPushButton;

namespace qlan {

class NPSFeedbackCard;

class SimplifiedCompletionView : public QWidget {
    Q_OBJECT
public:
    SimplifiedCompletionView(CompletionSurface surface, std::function<void()> onSeeRecommendations,
                             std::function<void()> onDone, const AppServices& services,
                             const AuditScreenSeams& seams, QWidget* parent = nullptr);

    SimplifiedCompletionModel& model() { return *model_; }
    QPushButton* doneButton() const { return done_; }

private:
    std::unique_ptr<SimplifiedCompletionModel> model_;
    QPushButton* done_ = nullptr;
};

} // namespace qlan
