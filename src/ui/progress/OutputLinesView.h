#pragma once
// The output list of the streaming remediation screen: one row per line, in arrival order, monospaced at
// caption size, framed; it keeps the last line at the bottom edge as lines arrive. Rows are selectable
// and copied with the platform's copy shortcut. The row of the cask recovery's reinstall notice carries
// the identifier "remediation-retry-line" (role `identifierRole`; a screen reader reads only the line).
//
// The list model reads the lines of the screen's state directly and is told of appended ranges, so a
// job that prints a million lines costs the screen only the rows it draws.

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

namespace qlan {

class OutputLinesModel : public QAbstractListModel {
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

class OutputLinesView : public QListView {
    Q_OBJECT
public:
    explicit OutputLinesView(QWidget* parent = nullptr);

    // The texts of the selected rows, one per line.
    QString selectedText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qlan
