#include "support/PersonClick.h"

#include "ui/widgets/RadioRow.h"
#include "ui/widgets/SymbolIcon.h"

#include <QCheckBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

namespace qlan::test {

void clickAsAPerson(QAbstractButton* control) {
    QPoint point = control->rect().center();
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        QStyleOptionButton option;
        option.initFrom(box);
        point = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center();
    } else if (auto* row = qobject_cast<RadioRow*>(control)) {
        point = row->mark()->geometry().center();
    }
    QTest::mouseClick(control, Qt::LeftButton, {}, point);
}

} // namespace qlan::test
