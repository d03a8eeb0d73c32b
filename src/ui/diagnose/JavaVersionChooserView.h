#pragma once
// The choice of the long-term-support Java major to install: 25, 21 or 17, one radio row each, in one
// group (see RadioGroup.h). The chosen major lives in a binding owned by the embedding screen; a click or
// an arrow key writes it there, and the rows follow every change of the binding.

#include <QList>
#include <QPointer>
#include <QWidget>

namespace qlan {

class IntBinding;
class RadioRow;

class JavaVersionChooserView : public QWidget {
    Q_OBJECT
public:
    // `screenContext` names the embedding section ("d1", "d3"); it is part of each row's identifier
    // "diagnosis-<context>-pick-java-<major>".
    JavaVersionChooserView(IntBinding* chosenMajor, const QString& screenContext, QWidget* parent = nullptr);

    // The majors offered, in order.
    static QList<int> majors() { return {25, 21, 17}; }
    static QString rowTitle(int major);
    static QString rowDescription(int major);
    // What a screen reader calls the group of rows.
    static QString groupName() { return QStringLiteral("Java version to install"); }

    RadioRow* row(int major) const;

private:
    void refresh();

    QPointer<IntBinding> chosenMajor_;
    QList<RadioRow*> rows_;
};

} // namespace qlan
