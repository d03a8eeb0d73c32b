#include "ui/scaffold/ScreenScaffold.h"

#include "editions/ProductConfig.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/SelectableText.h"
#include "ui/widgets/TextLabel.h"

#include <QChildEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace qlan {
namespace {

// A widget of the content that the scaffold watches for widgets that come into it.
constexpr const char* kAdopted = "scaffoldContent";

} // namespace

ScreenScaffold::ScreenScaffold(const QString& title, const QString& explainer, QWidget* content,
                               QWidget* parent)
    : ScreenScaffold(title, explainer, content, Options{}, parent) {}

ScreenScaffold::ScreenScaffold(const QString& title, const QString& explainer, QWidget* content,
                               Options options, QWidget* parent)
    : QWidget(parent)
    , options_(std::move(options))
    , content_(content) {
    auto* layout = new QVBoxLayout(this);
    const int margin = TypeScale::contentMargin;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(20);

    heading_ = new TextLabel(title, TextRole::largeTitle, FontWeight::semibold);
    if (options_.titleAccessibilityIdentifier)
        setAccessibilityIdentifier(heading_, *options_.titleAccessibilityIdentifier);
    layout->addWidget(heading_);

    explanation_ = new MarkdownLabel(explainer, TextRole::body);
    TypeScale::applySecondaryStyle(explanation_);
    if (options_.explainerAccessibilityIdentifier)
        setAccessibilityIdentifier(explanation_, *options_.explainerAccessibilityIdentifier);
    layout->addWidget(explanation_);

    if (content_) layout->addWidget(content_);
    layout->addStretch(1);

    if (options_.showsArticleLink) {
        articleLink_ = new LinkLabel(articleLinkLabel(), articleDestination(), TextRole::footnote);
        layout->addWidget(articleLink_, 0, Qt::AlignLeading);
    }

    heading_->setSelectable(true);
    explanation_->setSelectable(true);
    if (content_) adopt(content_);
    orderFocus();
}

QUrl ScreenScaffold::articleDestination() const {
    if (options_.articleURL) return *options_.articleURL;
    return ProductConfig::current().urls.troubleshooting;
}

QString ScreenScaffold::articleLinkLabel() {
    return QStringLiteral("Read the article on Pellinor");
}

void ScreenScaffold::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (articleLink_) articleLink_->setDestination(articleDestination());
    orderFocus();
}

bool ScreenScaffold::eventFilter(QObject* watched, QEvent* event) {
    // A widget that comes into the content is polished as it shows (or on the loop's next pass), after
    // everything inside it: it is taken in whole, in the same turn as it shows.
    if (event->type() == QEvent::ChildPolished)
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child());
            child && !child->isWindow() && !child->property(kAdopted).toBool()) {
            adopt(child);
            orderFocus();
        }
    return QWidget::eventFilter(watched, event);
}

void ScreenScaffold::adopt(QWidget* widget) {
    QList<QWidget*> taken = widget->findChildren<QWidget*>();
    taken.prepend(widget);
    for (QWidget* each : std::as_const(taken)) {
        // A sheet opened from the content is a window of its own, and so is what it holds.
        if (each->window() != widget->window() || each->property(kAdopted).toBool()) continue;
        each->setProperty(kAdopted, true);
        each->installEventFilter(this);
        if (auto* label = qobject_cast<QLabel*>(each)) setSelectableByMouse(label, true);
    }
}

void ScreenScaffold::orderFocus() {
    // The content is made before the scaffold's own labels, so the creation order would put it first.
    QList<QWidget*> chain;
    const auto add = [this, &chain](QWidget* widget) {
        if (widget && (widget->focusPolicy() & Qt::TabFocus) && widget->window() == window())
            chain.append(widget);
    };
    add(heading_);
    add(explanation_);
    if (content_) {
        add(content_);
        for (QWidget* child : content_->findChildren<QWidget*>())
            add(child);
    }
    add(articleLink_);
    // Qt leaves a pair as it stands where only widgets that take no focus come between them, reading the
    // window's chain round its end: a control made later, last in the chain, would seem to come before the
    // first. While the window counts as a stop, the chain is read from the window on.
    // (A window with a focus proxy hands its policy on to it: it is left as it is.)
    QWidget* top = window()->focusProxy() ? nullptr : window();
    const Qt::FocusPolicy policy = top ? top->focusPolicy() : Qt::NoFocus;
    if (top) top->setFocusPolicy(Qt::TabFocus);
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
    if (top) top->setFocusPolicy(policy);
}

} // namespace qlan
