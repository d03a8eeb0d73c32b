#pragma once
// A label that renders Markdown (emphasis, links). Only for texts written into the application itself;
// text from the machine or the user goes into a TextLabel. Activated links open through the desktop
// actions in effect for the label, and only when they are http or https addresses.
//
// Each link in the text is a stop of the keyboard focus of its own, as a link button is: Tab reaches
// the first link (Shift-Tab the last), moves from link to link and then on past the label; the focused
// link shows the focus ring and Space follows it (Return stays with the window's default button). A
// screen reader hears the text as shown, with each link as a child of its own: a link named by its
// text that follows it with the press action.

#include "ui/widgets/LabelHeights.h"
#include "ui/widgets/TypeScale.h"

#include <QLabel>
#include <QList>

#include <memory>

class QTextDocument;

namespace qlan {

class MarkdownLabel : public QLabel {
    Q_OBJECT
public:
    explicit MarkdownLabel(const QString& markdown, TextRole role = TextRole::body,
                           FontWeight weight = FontWeight::regular, QWidget* parent = nullptr);
    ~MarkdownLabel() override;

    // The Markdown source as given (QLabel::text() holds the same).
    QString markdown() const { return text(); }
    // The text as shown, without its Markdown syntax: what a screen reader reads.
    QString shownText() const { return shownText_; }
    // Lets the user select and copy the text with the mouse; links stay active either way. Only a text
    // that shows a link takes the keyboard focus (to reach the link).
    void setSelectable(bool selectable);

    // QLabel's answer, kept while the text, font and wrapping stay the same (see LabelHeights.h).
    int heightForWidth(int width) const override;

    // The links of the text as shown, in reading order.
    int linkCount() const { return int(links_.size()); }
    QString linkText(int index) const { return links_.at(index).text; }
    QString linkTarget(int index) const { return links_.at(index).target; }
    // Where the link's text stands in the label, one rectangle per line it takes.
    QList<QRectF> linkRects(int index) const;
    // The link that has the keyboard focus: -1 when the label has no focus or none of its links shows it.
    int focusedLink() const;
    // Gives the link the keyboard focus.
    void focusLink(int index);
    // Follows the link as a click on it does.
    void activateLink(int index);

    // Whether Markdown text holds a link: an inline link, an autolink or a bare web or mail address (more
    // is taken for a link than Markdown makes one, never less).
    static bool hasLink(const QString& markdown);
    // Whether Markdown text holds no Markdown syntax at all, so that it reads the same as plain text.
    static bool isPlainProse(const QString& markdown);

protected:
    void focusInEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Link {
        QString text;
        QString target;
        int start = 0; // in the text as shown
        int end = 0;
    };
    void setFocusedLink(int index);
    void markFocusedLink();

    QString shownText_;
    QList<Link> links_; // empty: the text holds no link
    int focusedLink_ = -1;
    // The text laid out as the label lays it out, for the places of its links; made when first needed.
    mutable std::unique_ptr<QTextDocument> layout_;
    mutable LabelHeights heights_;
};

} // namespace qlan
