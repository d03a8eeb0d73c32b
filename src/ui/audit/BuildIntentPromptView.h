#pragma once
// The build-intent card of the short completion: invites the person to a full check of the Mac.

#include <QFrame>

#include <functional>

class QPushButton;

namespace qlan {

class BuildIntentPromptView : public QFrame {
    Q_OBJECT
public:
    explicit BuildIntentPromptView(std::function<void()> onSeeRecommendations, QWidget* parent = nullptr);

    QPushButton* optInButton() const { return optIn_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* optIn_ = nullptr;
};

} // namespace qlan
