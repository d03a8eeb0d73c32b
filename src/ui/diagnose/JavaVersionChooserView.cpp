#include "ui/diagnose/JavaVersionChooserView.h"

#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/IntBinding.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/RadioRow.h"

#include <QVBoxLayout>

namespace qlan {

JavaVersionChooserView::JavaVersionChooserView(IntBinding* chosenMajor, const QString& screenContext,
                                               QWidget* parent)
    : QWidget(parent)
    , chosenMajor_(chosenMajor) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(10);
    auto* group = new RadioGroup(this, groupName());
    for (int major : majors()) {
        auto* row = new RadioRow(rowTitle(major), rowDescription(major));
        row->setProperty("major", major);
        setAccessibilityIdentifier(row,
                                   QStringLiteral("diagnosis-%1-pick-java-%2").arg(screenContext).arg(major));
        connect(row, &QAbstractButton::clicked, this, [this, major] {
            if (chosenMajor_) chosenMajor_->setValue(major);
        });
        layout->addWidget(row);
        group->addChoice(row);
        rows_.append(row);
    }
    layout->addStretch(1);
    if (chosenMajor_)
        connect(chosenMajor_, &IntBinding::valueChanged, this, &JavaVersionChooserView::refresh);
    refresh();
}

QString JavaVersionChooserView::rowTitle(int major) {
    QString title = QStringLiteral("Java ") + QString::number(major);
    if (major == 25) title += QStringLiteral(" (recommended)");
    return title;
}

QString JavaVersionChooserView::rowDescription(int major) {
    switch (major) {
    case 25:
        return QStringLiteral("Current LTS (long-term support). Recommended for most users.");
    case 21:
        return QStringLiteral(
            "Previous LTS, good until 2031. Used in some workplaces and university courses.");
    case 17:
        return QStringLiteral("Older LTS, good until 2029. Used in some workplaces and university courses.");
    default:
        return {};
    }
}

RadioRow* JavaVersionChooserView::row(int major) const {
    for (RadioRow* row : rows_)
        if (row->property("major").toInt() == major) return row;
    return nullptr;
}

void JavaVersionChooserView::refresh() {
    const int chosen = chosenMajor_ ? chosenMajor_->value() : 0;
    for (RadioRow* row : rows_)
        row->setSelected(row->property("major").toInt() == chosen);
}

} // namespace qlan
