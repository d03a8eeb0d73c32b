#pragma once
// A link: a plain-text label in the link colour (the live palette's, read when painting) that opens its
// destination through the desktop actions in effect for it, when clicked or when Space is pressed while it
// has the focus.

#include "ui/widgets/TypeScale.h"

#include <QLabel>
#include <QUrl>

namespace qlan {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& label, const QUrl& destination, TextRole role = TextRole::body,
              QWidget* parent = nullptr);

    QUrl destination() const { return destination_; }
    void setDestination(const QUrl& destination);

    // Opens the destination (nothing happens for an invalid or empty URL) and emits `activated`.
    void activate();

signals:
    void activated(const QUrl& destination);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QUrl destination_;
    bool pressed_ = false;
};

} // namespace qlan
