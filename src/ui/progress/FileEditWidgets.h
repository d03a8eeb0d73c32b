#pragma once
// The pieces the remediation screens use to show a file edit: the framed list of diff rows (monospaced,
// selectable, added lines in green; read as a list, scrolled by the keys as the output list), a label
// that shows a path from the machine in code style, and the red style of error texts.

#include "progress/DiffRows.h"
#include "ui/widgets/TypeScale.h"

#include <QLabel>
#include <QList>
#include <QScrollArea>

class QVBoxLayout;

namespace qlan {

class DiffRowsView : public QScrollArea {
    Q_OBJECT
public:
    explicit DiffRowsView(QWidget* parent = nullptr);

    void setRows(const QList<DiffRow>& rows);
    // The texts of the rows shown, in order.
    QStringList rowTexts() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* body_;
    QVBoxLayout* rowsLayout_;
};

// Plain `prefix`, then `code` in a monospaced font, then plain `suffix`; all three shown literally.
class CodeTextLabel : public QLabel {
    Q_OBJECT
public:
    CodeTextLabel(TextRole role, QWidget* parent = nullptr);
    void setParts(const QString& prefix, const QString& code, const QString& suffix = {});
    // The text as read: the three parts joined.
    QString plainText() const { return plain_; }

private:
    QString plain_;
};

// The system's red for the texts of failures.
void applyErrorStyle(QWidget* widget);

} // namespace qlan
