#pragma once
// The ~/.zshrc card of the streaming remediation screen: the lines a mise or jEnv setup still needs in
// ~/.zshrc, where the backup goes and the last write error. It draws a ZshrcActivationPreview owned by the
// screen and is shown exactly while a proposal waits; the screen's bottom row holds its two buttons,
// "Apply ~/.zshrc change" and "Skip".

#include <QWidget>

namespace qlan {

class CodeTextLabel;
class DiffRowsView;
class TextLabel;
class ZshrcActivationPreview;

class ZshrcActivationCard : public QWidget {
    Q_OBJECT
public:
    explicit ZshrcActivationCard(ZshrcActivationPreview* model, QWidget* parent = nullptr);

    DiffRowsView* rowsView() const { return rows_; }

private:
    void refresh();

    ZshrcActivationPreview* model_;
    CodeTextLabel* intro_;
    DiffRowsView* rows_;
    CodeTextLabel* backup_;
    TextLabel* error_;
};

} // namespace qlan
