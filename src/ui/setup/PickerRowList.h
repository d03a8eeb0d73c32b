#pragma once
// The checkbox rows of a guided-setup picker: per row a checkbox, a caption indented under it (secondary
// or warning colour), an optional warning-coloured second line and an optional masked key field. A
// screen reader hears the caption and the second line as the checkbox's description. The list
// only draws the rows it is given and reports the user's ticks and typing; its owner updates the state
// and hands back the new rows.

#include "setup/SetupPickerState.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QVBoxLayout;

namespace qlan {

class TextLabel;

class PickerRowList : public QWidget {
    Q_OBJECT
public:
    static constexpr int captionIndent = 20;
    static constexpr int keyFieldMaximumWidth = 360;

    explicit PickerRowList(QWidget* parent = nullptr);

    // Draws `rows`; a key field shows the entry of `keys` for its row's key. Rows with the same keys in
    // the same order are updated in place, so that a field being typed into keeps its focus.
    void setRows(const QList<PickerRow>& rows, const QMap<QString, QString>& keys = {});
    const QList<PickerRow>& rows() const { return rows_; }

signals:
    void toggled(const QString& key, bool checked);
    void keyEdited(const QString& key, const QString& text);

private:
    struct RowWidgets {
        QCheckBox* checkbox = nullptr;
        TextLabel* caption = nullptr;
        TextLabel* disclosure = nullptr;
        QLineEdit* keyField = nullptr;
    };
    // The hidden widget that holds a row for each of `rows`, before their contents are set.
    QWidget* build(const QList<PickerRow>& rows);
    void update(const RowWidgets& widgets, const PickerRow& row, const QMap<QString, QString>& keys);

    QVBoxLayout* layout_;
    QList<PickerRow> rows_;
    QList<RowWidgets> widgets_;
    QWidget* body_ = nullptr; // the rows on screen
};

// Colours a label with the warning (orange) foreground and marks it with the property "warning".
void applyWarningStyle(QWidget* widget);

} // namespace qlan
