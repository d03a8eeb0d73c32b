#pragma once
// The output list of both remediation sheets (the streaming remediation screen and the guided setup's
// action sheet): one row per line, in arrival order, monospaced at caption size, in the shared text
// frame; as rows arrive it keeps the last one at the bottom edge, unless the user scrolled up. A line
// wider than the list is never cut: the list scrolls sideways as far as its widest row, which its model
// keeps (OutputRowsModel). Rows are selectable and copied with the platform's copy shortcut. Rows are
// laid out lazily, so a job that prints a million lines costs the list only the rows it draws.
//
// Tab reaches the list (it shows the focus ring then), and the keys scroll it as a pointer does: Left
// and Right sideways by a step, Home and End to the top and the bottom, Up, Down, Page Up and Page Down
// through the rows. A screen reader hears a list named by its sheet's title ("Installing VS Code output"),
// so that no two lists sound alike, each line a list item of plain text.
//
// The streaming screen's list model reads the lines of the screen's state directly and is told of
// appended ranges. The row of the cask recovery's reinstall notice carries the identifier
// "remediation-retry-line" (role `identifierRole`; a screen reader reads only the line).

#include "progress/OutputRowsModel.h"

#include <QListView>
#include <QStringList>

namespace qlan {

class OutputLinesModel : public OutputRowsModel {
    Q_OBJECT
public:
    static constexpr int identifierRole = Qt::UserRole + 1;

    explicit OutputLinesModel(const QStringList* lines, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // `count` lines were appended to the list at `first`.
    void linesAppended(qsizetype first, qsizetype count);

private:
    const QStringList* lines_;
    int rows_ = 0;
};

// Makes every row of the list as wide as the widest row of its model (an OutputRowsModel), so that the
// list scrolls sideways to the end of every line (a list of rows of one height otherwise takes its width
// from a single row).
void scrollLongRowsSideways(QListView* list);

class OutputLinesView : public QListView {
    Q_OBJECT
public:
    // Named "<sheetTitle> output".
    explicit OutputLinesView(const QString& sheetTitle, QWidget* parent = nullptr);

    // Also follows the rows that the model appends.
    void setModel(QAbstractItemModel* model) override;

    // The texts of the selected rows, one per line.
    QString selectedText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followOutput();

    bool following_ = true; // the list shows its last row; false once the user scrolled up
    bool scrolling_ = false;
};

} // namespace qlan
