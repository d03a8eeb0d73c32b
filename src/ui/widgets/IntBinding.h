#pragma once
// A whole number owned by one screen and shown and changed by widgets embedded in it: every widget
// bound to it redraws when any of them, or the screen, sets a new value.

#include <QObject>

namespace qlan {

class IntBinding : public QObject {
    Q_OBJECT
public:
    explicit IntBinding(int value, QObject* parent = nullptr)
        : QObject(parent)
        , value_(value) {}

    int value() const { return value_; }
    // Emits valueChanged when the value differs.
    void setValue(int value) {
        if (value == value_) return;
        value_ = value;
        emit valueChanged(value_);
    }

signals:
    void valueChanged(int value);

private:
    int value_;
};

} // namespace qlan
