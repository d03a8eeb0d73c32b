#include "ui/widgets/SheetDialog.h"

#include "ui/widgets/KeyboardFocus.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace qlan {

SheetDialog::SheetDialog(QWidget* content, std::function<void()> cancel, QWidget* parent)
    : QDialog(parent)
    , content_(content)
    , cancel_(std::move(cancel)) {
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content_);
}

void SheetDialog::dismiss() {
    QDialog::done(QDialog::Accepted);
}

void SheetDialog::reject() {
    if (cancel_) cancel_();
}

void SheetDialog::keyPressEvent(QKeyEvent* event) {
    // QDialog takes Esc (and the Mac's Command-period) as reject(), as it takes the close control.
    if (escape_ && event->matches(QKeySequence::Cancel)) {
        event->accept();
        escape_();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool SheetDialog::focusNextPrevChild(bool next) {
    // A control that goes away leaves the focus with the sheet, never on its way to the next one.
    return holdFocusOfGoneControl(this) || QDialog::focusNextPrevChild(next);
}

} // namespace qlan
