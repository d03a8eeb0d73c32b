#pragma once
// A link: one line of plain text in the link colour (the live palette's, read when painting) that opens
// its destination through the desktop actions in effect for it. A person reaches it with Tab (it shows
// the focus ring then) and follows it with a click or Space (Return too, where no default button of the
// window takes it); a screen reader announces it as a link named by its text and follows it with the
// press action. All of these are one click, which opens
// the destination and emits `activated`; a link made without a destination only emits `clicked`, for
// the screen that opens it itself.

#include "ui/widgets/TypeScale.h"

#include <QAbstractButton>
#include <QUrl>

namespace qlan {

class LinkLabel : public QAbstractButton {
    Q_OBJECT
public:
    LinkLabel(const QString& label, const QUrl& destination, TextRole role = TextRole::body,
              QWidget* parent = nullptr);

    QUrl destination() const { return destination_; }
    void setDestination(const QUrl& destination);

    // Follows the link as a click does.
    void activate() { click(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // After the destination was opened (never for an invalid or empty URL).
    void activated(const QUrl& destination);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void open();

    QUrl destination_;
};

} // namespace qlan
