#pragma once
// A navigation stack bound to AppNavigation::path: a root page, one page per pushed Screen (built by
// the router), and a back control that removes the last entry of the path. Pages of a path prefix that
// did not change are kept as they are; the others are built afresh. The back control lines up with the
// pages' content edge, and the platform's Back shortcut (Command-[ on the Mac) goes back too. The window
// is titled after the page on top: its window title when it has one, else the application's name (the
// window has no title of its own), also when a page changes its title while on top.

#include "appshell/AppNavigation.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <utility>

class QStackedWidget;
class QToolButton;

namespace qlan {

class NavigationStackView : public QWidget {
    Q_OBJECT
public:
    using Router = std::function<QWidget*(const Screen&)>;

    // Takes ownership of `root` and of every page the router returns.
    NavigationStackView(AppNavigation* navigation, QWidget* root, Router router, QWidget* parent = nullptr);

    QWidget* rootPage() const { return root_; }
    // The page on top: the last pushed page, or the root page when the path is empty.
    QWidget* currentPage() const;
    // The pushed pages, bottom to top (the root page not included).
    QList<QWidget*> pushedPages() const;
    QToolButton* backButton() const { return back_; }

    // Removes the last entry of the path (the back control's action).
    void goBack();

signals:
    // The first time the stack is shown.
    void firstShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void syncToPath();
    void showTitleOfCurrentPage();

    QPointer<AppNavigation> navigation_;
    Router router_;
    QWidget* root_;
    QStackedWidget* pages_;
    QWidget* bar_;
    QToolButton* back_;
    QList<std::pair<Screen, QWidget*>> pushed_;
    bool shown_ = false;
};

} // namespace qlan
