#pragma once
// A row of buttons (and links) from the leading edge, `spacing` points apart and centred on their line,
// that goes on onto further lines, in order, where the width runs out: every title stays whole however
// narrow the window, and the row is as tall as its lines.

#include <QList>
#include <QWidget>

namespace qlan {

class WrappingRow : public QWidget {
    Q_OBJECT
public:
    explicit WrappingRow(const QList<QWidget*>& items = {}, int spacing = 12, QWidget* parent = nullptr);

    void addWidget(QWidget* item);
};

} // namespace qlan
