#include "ui/progress/FileEditWidgets.h"

#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/FramedBox.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/SelectableText.h"
#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TextLabel.h"

#include <QPalette>
#include <QVBoxLayout>

namespace qlan {

DiffRowsView::DiffRowsView(QWidget* parent)
    : QScrollArea(parent)
    , body_(new QWidget)
    , rowsLayout_(new QVBoxLayout(body_)) {
    setAccessibleRole(this, QAccessible::List); // named by its owner, one item per row
    rowsLayout_->setSpacing(2);
    rowsLayout_->addStretch(1);
    rowsLayout_->setContentsMargins(0, 0, 0, 0);
    setWidget(body_);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    applyTextFrame(this);
    setViewportMargins(textFrameViewportMargins(8));
    body_->setAutoFillBackground(false);
}

void DiffRowsView::setRows(const QList<DiffRow>& rows) {
    while (rowsLayout_->count() > 1) {
        QLayoutItem* item = rowsLayout_->takeAt(0);
        delete item->widget();
        delete item;
    }
    int index = 0;
    for (const DiffRow& row : rows) {
        auto* label = new TextLabel(row.text);
        TypeScale::applyMonospaced(label, TextRole::caption);
        label->setWordWrap(false);
        label->setSelectable(true);
        label->setProperty("added", row.added);
        if (row.added) applySystemTextColor(label, SystemColor::green);
        rowsLayout_->insertWidget(index++, label);
    }
}

void DiffRowsView::keyPressEvent(QKeyEvent* event) {
    if (!scrollByKey(this, event)) QScrollArea::keyPressEvent(event);
}

QStringList DiffRowsView::rowTexts() const {
    QStringList texts;
    for (int i = 0; i < rowsLayout_->count(); ++i)
        if (auto* label = qobject_cast<QLabel*>(rowsLayout_->itemAt(i)->widget())) texts << label->text();
    return texts;
}

CodeTextLabel::CodeTextLabel(TextRole role, QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::RichText);
    setWordWrap(true);
    setSelectableByMouse(this, true);
    TypeScale::apply(this, role);
}

void CodeTextLabel::setParts(const QString& prefix, const QString& code, const QString& suffix) {
    plain_ = prefix + code + suffix;
    // Every part is escaped: a path from the machine never becomes markup.
    setText(prefix.toHtmlEscaped() + QStringLiteral("<code>") + code.toHtmlEscaped() +
            QStringLiteral("</code>") + suffix.toHtmlEscaped());
}

void applyErrorStyle(QWidget* widget) {
    applySystemTextColor(widget, SystemColor::red);
    widget->setProperty("error", true);
}

} // namespace qlan
