#include "ui/scaffold/ScreenScaffold.h"

#include "editions/ProductConfig.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/SelectableText.h"
#include "ui/widgets/TextLabel.h"

#include <QVBoxLayout>

namespace qlan {

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

    enableTextSelection();
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
    enableTextSelection(); // content may have grown labels since construction
    orderFocus();
}

void ScreenScaffold::orderFocus() {
    // The content is made before the scaffold's own labels, so the creation order would put it first.
    QList<QWidget*> chain;
    const auto add = [&chain](QWidget* widget) {
        if (widget && (widget->focusPolicy() & Qt::TabFocus)) chain.append(widget);
    };
    add(heading_);
    add(explanation_);
    if (content_) {
        add(content_);
        for (QWidget* child : content_->findChildren<QWidget*>())
            add(child);
    }
    add(articleLink_);
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

void ScreenScaffold::enableTextSelection() {
    heading_->setSelectable(true);
    explanation_->setSelectable(true);
    if (!content_) return;
    for (QLabel* label : content_->findChildren<QLabel*>())
        setSelectableByMouse(label, true);
    if (auto* label = qobject_cast<QLabel*>(content_)) setSelectableByMouse(label, true);
}

} // namespace qlan
