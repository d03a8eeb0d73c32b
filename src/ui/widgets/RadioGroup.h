#pragma once
// Exclusive choices that a keyboard reaches as one control, as on the Mac: Tab comes to the group on its
// chosen choice (on the first when none is chosen) and the next Tab leaves it; the arrow keys move to the
// choice before or after and choose it, with a click, so that its owner decides as for a click with the
// mouse. While the focus is in the group, a click on a choice moves it there (the ring follows, where it
// shows), so that the arrow keys go on from the chosen choice; from outside the group, a click leaves the
// focus where it was. A screen reader hears the container as a group named by the question, and each
// choice as a radio button (the choices set that role themselves, as RadioRow does).
//
// The choices are children of the container, added in reading order. Only one of them takes Tab at a
// time; the group moves that stop along the focus chain as the choice changes. A choice deleted while
// the group lives is forgotten as it goes: at the first event of its destruction, when it is a button
// no more (the group never treats what its filter is handed as a button without checking).

#include <QList>
#include <QObject>

class QAbstractButton;
class QWidget;

namespace qlan {

class RadioGroup : public QObject {
    Q_OBJECT
public:
    RadioGroup(QWidget* container, const QString& question);

    void setQuestion(const QString& question);
    void addChoice(QAbstractButton* choice);

    // The group `choice` belongs to; null when none.
    static RadioGroup* of(const QWidget* choice);
    // The choice that Tab reaches.
    QAbstractButton* tabStop() const { return stop_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A choice by the object it was when added, so that a dying one is found without treating it as a
    // button: once its button part is destroyed, even converting its pointer is undefined.
    struct Choice {
        const QObject* object;
        QAbstractButton* button;
    };

    void forget(const QObject* gone);
    const Choice* find(const QObject* object) const;
    void updateTabStop();
    void followClick(QAbstractButton* choice);
    void move(QAbstractButton* from, int step);

    QWidget* container_;
    QList<Choice> choices_;
    QAbstractButton* stop_ = nullptr; // one of the choices, or none
};

} // namespace qlan
