#include "ui/scaffold/NavigationStackView.h"

#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/TypeScale.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace qlan {

NavigationStackView::NavigationStackView(AppNavigation* navigation, QWidget* root, Router router,
                                         QWidget* parent)
    : QWidget(parent)
    , navigation_(navigation)
    , router_(std::move(router))
    , root_(root) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    bar_ = new QWidget;
    bar_->hide(); // shown while something is pushed; hidden before it joins the layout costs no relayout
    auto* barLayout = new QHBoxLayout(bar_);
    // The back control starts at the content edge of the pages below it.
    barLayout->setContentsMargins(TypeScale::contentMargin, 6, TypeScale::contentMargin, 0);
    back_ = new QToolButton;
    back_->setObjectName(QStringLiteral("navigation-back"));
    back_->setAccessibleName(QStringLiteral("Back"));
    back_->setToolTip(QStringLiteral("Back"));
    back_->setText(QStringLiteral("Back"));
    back_->setArrowType(Qt::LeftArrow);
    back_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back_->setAutoRaise(true);
    connect(back_, &QToolButton::clicked, this, &NavigationStackView::goBack);
    // The platform's Back shortcut (Command-[ on the Mac) does the same.
    auto* backShortcut = new QShortcut(QKeySequence::Back, this);
    backShortcut->setContext(Qt::WindowShortcut);
    connect(backShortcut, &QShortcut::activated, this, &NavigationStackView::goBack);
    barLayout->addWidget(back_);
    barLayout->addStretch(1);
    layout->addWidget(bar_);

    pages_ = new QStackedWidget;
    pages_->addWidget(root_);
    root_->installEventFilter(this);
    layout->addWidget(pages_, 1);

    if (navigation_)
        connect(navigation_, &AppNavigation::pathChanged, this, &NavigationStackView::syncToPath);
    syncToPath();
}

QWidget* NavigationStackView::currentPage() const {
    return pushed_.isEmpty() ? root_ : pushed_.last().second;
}

QList<QWidget*> NavigationStackView::pushedPages() const {
    QList<QWidget*> pages;
    for (const auto& entry : pushed_)
        pages.append(entry.second);
    return pages;
}

void NavigationStackView::goBack() {
    if (!navigation_ || navigation_->path().isEmpty()) return;
    QList<Screen> path = navigation_->path();
    path.removeLast();
    navigation_->setPath(std::move(path));
}

void NavigationStackView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showTitleOfCurrentPage();
    if (shown_) return;
    shown_ = true;
    emit firstShown();
}

void NavigationStackView::syncToPath() {
    const QList<Screen> path = navigation_ ? navigation_->path() : QList<Screen>{};
    // The focus on a page, on the Back control (which may stay, from a third screen to a second), or with
    // the window (a screen held it while it waited), starts over.
    const bool startsOver = holdsKeyboardFocus(pages_) || holdsKeyboardFocus(bar_) ||
                            (window() != this && window()->focusWidget() == window());
    qsizetype kept = 0;
    while (kept < pushed_.size() && kept < path.size() && pushed_[kept].first == path[kept])
        ++kept;

    QList<QWidget*> going;
    while (pushed_.size() > kept)
        going.append(pushed_.takeLast().second);
    for (qsizetype i = kept; i < path.size(); ++i) {
        QWidget* page = router_ ? router_(path[i]) : nullptr;
        if (!page) page = new QWidget;
        page->installEventFilter(this);
        pages_->addWidget(page);
        pushed_.append({path[i], page});
    }
    // The window takes the title of the page that comes before the focus leaves the one that goes, so that
    // a screen reader hears the window under the screen it shows.
    showTitleOfCurrentPage();
    showPage(pages_, currentPage());
    // Pages above the kept prefix go once the page that comes stands; the action that changed the path may
    // still be running inside one of them, so they are deleted once control returns to the event loop.
    for (QWidget* page : std::as_const(going))
        retireScreen(pages_->layout(), page);
    if (bar_->isHidden() != pushed_.isEmpty()) bar_->setVisible(!pushed_.isEmpty());
    // The next Tab goes to the back control first.
    if (startsOver && (!going.isEmpty() || kept < path.size())) startFocusOver(this);
}

bool NavigationStackView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowTitleChange && watched == currentPage()) showTitleOfCurrentPage();
    return QWidget::eventFilter(watched, event);
}

void NavigationStackView::showTitleOfCurrentPage() {
    QWidget* top = window();
    if (top == this) return; // not in a window yet: titled when shown
    const QString title = currentPage()->windowTitle();
    top->setWindowTitle(title.isEmpty() ? QGuiApplication::applicationDisplayName() : title);
}

} // namespace qlan
