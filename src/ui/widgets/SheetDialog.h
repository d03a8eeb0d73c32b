#pragma once
// A sheet: a window-modal dialog over a screen that shows one content widget. Any close of it (Esc,
// the window's close control) calls its cancel action instead of closing; a sheet given an Esc action
// calls that one for Esc instead. The sheet goes away only when its owner calls `dismiss`, normally once
// the content has reported how it ended.

#include <QDialog>

#include <functional>

namespace qlan {

class SheetDialog : public QDialog {
    Q_OBJECT
public:
    // Takes ownership of `content`.
    SheetDialog(QWidget* content, std::function<void()> cancel, QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    // What Esc does, where it differs from the close control's cancel action.
    void setEscapeAction(std::function<void()> escape) { escape_ = std::move(escape); }
    // Hides the sheet without cancelling anything.
    void dismiss();

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QWidget* content_;
    std::function<void()> cancel_;
    std::function<void()> escape_;
};

} // namespace qlan
