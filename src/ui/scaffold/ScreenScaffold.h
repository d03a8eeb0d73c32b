#pragma once
// The common layout of the full-window screens: a large title, an explanation under it, the screen's
// own content, free space, and at the bottom a link to the edition's article on the guide website.
// The keyboard focus moves through them top to bottom, and every text in them can be selected with the
// mouse; what comes into the content while the screen stands (a card, rows read off the Mac) is taken in
// as it shows, as the content it was made with.

#include <QUrl>
#include <QWidget>

#include <optional>

namespace qlan {

class LinkLabel;
class MarkdownLabel;
class TextLabel;

class ScreenScaffold : public QWidget {
    Q_OBJECT
public:
    struct Options {
        std::optional<QString> titleAccessibilityIdentifier;
        std::optional<QString> explainerAccessibilityIdentifier;
        // Where the article link leads; absent: the current edition's troubleshooting article.
        std::optional<QUrl> articleURL;
        // Screens that carry no article link at all (articleLink() is then null).
        bool showsArticleLink = true;

        static Options withoutArticleLink() {
            Options options;
            options.showsArticleLink = false;
            return options;
        }
    };

    // `title` is shown verbatim; inline Markdown in `explainer` is rendered. The scaffold takes
    // ownership of `content` (which may be null for a screen without content of its own).
    ScreenScaffold(const QString& title, const QString& explainer, QWidget* content,
                   QWidget* parent = nullptr);
    ScreenScaffold(const QString& title, const QString& explainer, QWidget* content, Options options,
                   QWidget* parent = nullptr);

    TextLabel* heading() const { return heading_; }
    MarkdownLabel* explanation() const { return explanation_; }
    QWidget* content() const { return content_; }
    LinkLabel* articleLink() const { return articleLink_; }

    // The article link's destination: the given article URL, else the current edition's
    // troubleshooting article (read now).
    QUrl articleDestination() const;

    static QString articleLinkLabel();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Takes `widget` of the content and what is inside it as the screen's own: its texts selectable by the
    // mouse, and watched for widgets that come into it later.
    void adopt(QWidget* widget);
    // Tab goes through the heading, the explanation, the content and the article link in reading order;
    // done on every show, and again as widgets come into the content.
    void orderFocus();

    Options options_;
    TextLabel* heading_ = nullptr;
    MarkdownLabel* explanation_ = nullptr;
    QWidget* content_ = nullptr;
    LinkLabel* articleLink_ = nullptr;
};

} // namespace qlan
