#pragma once
// The common layout of the full-window screens: a large title, an explanation under it, the screen's
// own content, free space, and at the bottom a link to the edition's article on the guide website.
// The keyboard focus moves through them top to bottom.

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

    // Tab goes through the heading, the explanation, the content and the article link in reading order;
    // done on every show, and again by content that grows controls later.
    void orderFocus();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void enableTextSelection();

    Options options_;
    TextLabel* heading_ = nullptr;
    MarkdownLabel* explanation_ = nullptr;
    QWidget* content_ = nullptr;
    LinkLabel* articleLink_ = nullptr;
};

} // namespace qlan
