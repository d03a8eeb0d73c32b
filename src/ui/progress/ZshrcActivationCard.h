#pragma once
// The ~/.zshrc card of the streaming remediation screen: the lines a mise or jEnv setup still needs in
// ~/.zshrc, where the backup goes, the last write error, and the buttons "Apply ~/.zshrc change" and
// "Skip". It draws a ZshrcActivationPreview owned by the screen and is shown exactly while a proposal
// waits.

#include <QWidget>

class QPushButton;

namespace qlan {

class CodeTextLabel;
class DiffRowsView;
class ProminentButton;
class TextLabel;
class ZshrcActivationPreview;

class ZshrcActivationCard : public QWidget {
    Q_OBJECT
public:
    explicit ZshrcActivationCard(ZshrcActivationPreview* model, QWidget* parent = nullptr);

    DiffRowsView* rowsView() const { return rows_; }
    ProminentButton* applyButton() const { return apply_; }
    QPushButton* skipButton() const { return skip_; }

private:
    void refresh();

    ZshrcActivationPreview* model_;
    CodeTextLabel* intro_;
    DiffRowsView* rows_;
    CodeTextLabel* backup_;
    TextLabel* error_;
    ProminentButton* apply_;
    QPushButton* skip_;
};

} // namespace qlan
