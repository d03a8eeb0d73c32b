#include "ui/setup/PickerRowList.h"

#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TextLabel.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qlan {
namespace {

QStringList keysOf(const QList<PickerRow>& rows) {
    QStringList keys;
    for (const PickerRow& row : rows)
        keys.append(row.key);
    return keys;
}

// A caption line indented under its checkbox.
TextLabel* indentedLine(QVBoxLayout* layout, TextRole role) {
    auto* label = new TextLabel(QString(), role);
    label->setContentsMargins(PickerRowList::captionIndent, 0, 0, 0);
    layout->addWidget(label);
    return label;
}

} // namespace

void applyWarningStyle(QWidget* widget) {
    applySystemTextColor(widget, SystemColor::orange);
    widget->setProperty("warning", true);
    widget->setProperty("secondary", false);
}

PickerRowList::PickerRowList(QWidget* parent)
    : QWidget(parent)
    , layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(8);
}

void PickerRowList::setRows(const QList<PickerRow>& rows, const QMap<QString, QString>& keys) {
    QWidget* body = keysOf(rows) != keysOf(rows_) || widgets_.size() != rows.size() ? build(rows) : nullptr;
    rows_ = rows;
    for (qsizetype i = 0; i < rows.size(); ++i)
        update(widgets_[i], rows[i], keys);
    if (!body) return;
    // The new rows come in whole, each with only the lines it shows: the controls below move once.
    if (body_) {
        // The old rows may be the sender of the signal that led here: they go once control returns.
        layout_->removeWidget(body_);
        body_->hide();
        body_->deleteLater();
    }
    body_ = body;
    layout_->addWidget(body_);
    body_->show(); // at once, also when the list is already on screen
}

QWidget* PickerRowList::build(const QList<PickerRow>& rows) {
    auto* body = new QWidget(this);
    body->hide(); // until every row is drawn
    auto* list = new QVBoxLayout(body);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(layout_->spacing());
    widgets_.clear();
    for (const PickerRow& row : rows) {
        auto* container = new QWidget(body);
        auto* column = new QVBoxLayout(container);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(2);
        RowWidgets widgets;
        widgets.checkbox = new QCheckBox(row.title, container);
        column->addWidget(widgets.checkbox);
        widgets.caption = indentedLine(column, TextRole::caption);
        widgets.disclosure = indentedLine(column, TextRole::caption2);
        applyWarningStyle(widgets.disclosure);
        widgets.keyField = new QLineEdit(container);
        widgets.keyField->setEchoMode(QLineEdit::Password);
        widgets.keyField->setPlaceholderText(QStringLiteral("API key (optional — unlocks full features)"));
        widgets.keyField->setMaximumWidth(keyFieldMaximumWidth);
        auto* fieldRow = new QHBoxLayout;
        fieldRow->setContentsMargins(captionIndent, 0, 0, 0);
        fieldRow->addWidget(widgets.keyField);
        fieldRow->addStretch();
        column->addLayout(fieldRow);

        const QString key = row.key;
        connect(widgets.checkbox, &QCheckBox::clicked, this,
                [this, key](bool checked) { emit toggled(key, checked); });
        connect(widgets.keyField, &QLineEdit::textEdited, this,
                [this, key](const QString& text) { emit keyEdited(key, text); });
        list->addWidget(container);
        widgets_.append(widgets);
    }
    return body;
}

void PickerRowList::update(const RowWidgets& widgets, const PickerRow& row,
                           const QMap<QString, QString>& keys) {
    setAccessibilityIdentifier(widgets.checkbox, row.checkboxID);
    widgets.checkbox->setText(row.title);
    widgets.checkbox->setChecked(row.checked);
    widgets.checkbox->setEnabled(row.enabled);

    widgets.caption->setText(row.caption);
    widgets.caption->setVisible(!row.caption.isEmpty());
    widgets.caption->setObjectName(row.captionID);
    if (row.captionTone == PickerRow::Tone::warning) {
        applyWarningStyle(widgets.caption);
    } else {
        TypeScale::applySecondaryStyle(widgets.caption);
        widgets.caption->setProperty("warning", false);
    }

    widgets.disclosure->setText(row.disclosure);
    widgets.disclosure->setVisible(!row.disclosure.isEmpty());
    // A screen reader hears the lines under the checkbox with it, as the description of a radio row.
    QStringList description;
    for (const QString& line : {row.caption, row.disclosure})
        if (!line.isEmpty()) description.append(line);
    widgets.checkbox->setAccessibleDescription(description.join(QLatin1Char('\n')));

    const bool showsField = !row.keyFieldID.isEmpty();
    widgets.keyField->setVisible(showsField);
    if (showsField) {
        setAccessibilityIdentifier(widgets.keyField, row.keyFieldID);
        widgets.keyField->setAccessibleName(QStringLiteral("API key for ") + row.title);
        const QString text = keys.value(row.key);
        if (widgets.keyField->text() != text) widgets.keyField->setText(text);
    }
}

} // namespace qlan
