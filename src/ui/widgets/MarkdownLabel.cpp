#include "ui/widgets/MarkdownLabel.h"

#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/SelectableText.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace qlan {
namespace {

// A link inside the label's text, as a screen reader meets it: named by its text, with the press action
// that follows it and the focus action that gives it the keyboard focus.
class LinkInText : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    LinkInText(MarkdownLabel* label, int index)
        : label_(label)
        , index_(index) {}

    bool isValid() const override { return label_ && index_ < label_->linkCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return label_ ? label_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(label_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::Link; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        if (t == QAccessible::Name) return label_->linkText(index_);
        if (t == QAccessible::Value) return label_->linkTarget(index_);
        return {};
    }

    QRect rect() const override {
        if (!isValid()) return {};
        QRectF area;
        for (const QRectF& line : label_->linkRects(index_))
            area |= line;
        return QRect(label_->mapToGlobal(area.topLeft().toPoint()), area.size().toSize());
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.linked = true;
        state.focusable = label_->isEnabled();
        state.focused = label_->focusedLink() == index_;
        state.invisible = !label_->isVisible();
        state.disabled = !label_->isEnabled();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override {
        if (!isValid() || !label_->isEnabled()) return {};
        return {pressAction(), setFocusAction()};
    }
    void doAction(const QString& actionName) override {
        if (!isValid() || !label_->isEnabled()) return;
        if (actionName == pressAction()) label_->activateLink(index_);
        if (actionName == setFocusAction()) label_->focusLink(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<MarkdownLabel> label_;
    const int index_;
};

// The label with links: its text as shown, and its links as children.
class TextWithLinks : public QAccessibleWidget {
public:
    explicit TextWithLinks(MarkdownLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {
        for (int index = 0; index < label->linkCount(); ++index) {
            auto* link = new LinkInText(label, index);
            QAccessible::registerAccessibleInterface(link);
            links_.append(link);
        }
    }
    ~TextWithLinks() override {
        for (QAccessibleInterface* link : links_)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(link));
    }

    int childCount() const override { return int(links_.size()); }
    QAccessibleInterface* child(int index) const override { return links_.value(index); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return int(links_.indexOf(const_cast<QAccessibleInterface*>(child)));
    }
    QAccessibleInterface* focusChild() const override {
        return links_.value(static_cast<MarkdownLabel*>(widget())->focusedLink());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (QAccessibleInterface* link : links_)
            if (link->rect().contains(x, y)) return link;
        return nullptr;
    }

private:
    QList<QAccessibleInterface*> links_;
};

QAccessibleInterface* textWithLinksFactory(const QString&, QObject* object) {
    auto* label = qobject_cast<MarkdownLabel*>(object);
    return label && label->linkCount() > 0 ? new TextWithLinks(label) : nullptr;
}

// The links of the text as shown, in reading order: runs of text that lead to one target (a link whose
// text changes its style is one link).
template <typename Link> QList<Link> linksOf(const QTextDocument& shown) {
    QList<Link> links;
    for (QTextBlock block = shown.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty()) continue;
            const int start = fragment.position();
            const int end = start + fragment.length();
            if (!links.isEmpty() && links.last().end == start && links.last().target == format.anchorHref()) {
                links.last().text += fragment.text();
                links.last().end = end;
            } else {
                links.append(Link{fragment.text(), format.anchorHref(), start, end});
            }
        }
    return links;
}

bool isBareKey(const QKeyEvent* event, Qt::Key key) {
    return event->key() == key && (event->modifiers() | Qt::KeypadModifier) == Qt::KeypadModifier;
}

} // namespace

MarkdownLabel::MarkdownLabel(const QString& markdown, TextRole role, FontWeight weight, QWidget* parent)
    : QLabel(parent) {
    // Text without any Markdown syntax reads the same as plain text, which lays out much faster.
    const bool plain = isPlainProse(markdown);
    shownText_ = markdown;
    if (!plain) {
        QTextDocument shown;
        shown.setMarkdown(markdown);
        shownText_ = shown.toPlainText();
        links_ = linksOf<Link>(shown);
    }
    // The links are known before the text is set: a screen reader's view of the label may be made then.
    if (!links_.isEmpty()) {
        static const bool installed = (QAccessible::installFactory(textWithLinksFactory), true);
        Q_UNUSED(installed);
    }
    setTextFormat(plain ? Qt::PlainText : Qt::MarkdownText);
    setText(markdown);
    // A screen reader reads the text as shown, never its Markdown source (Qt would give the source).
    if (!plain) setAccessibleName(shownText_);
    setWordWrap(true);
    setAlignment(Qt::AlignLeading | Qt::AlignTop);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    setOpenExternalLinks(false);
    setSelectable(false);
    TypeScale::apply(this, role, weight);
    // Only web addresses are opened: a link in the text never launches a program or a local file.
    connect(this, &QLabel::linkActivated, this, [this](const QString& link) {
        const QUrl url(link);
        if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
            DesktopActions::of(this)->openURL(url);
    });
}

MarkdownLabel::~MarkdownLabel() = default;

void MarkdownLabel::setSelectable(bool selectable) {
    Qt::TextInteractionFlags flags = Qt::NoTextInteraction;
    if (!links_.isEmpty()) flags = Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard;
    setTextInteractionFlags(flags); // without keyboard access, no tab focus either
    setSelectableByMouse(this, selectable);
}

// Both scans below are written out rather than regular expressions: they run for every label a screen
// makes, the first of them while the first window is built.

bool MarkdownLabel::isPlainProse(const QString& markdown) {
    if (markdown.isEmpty()) return true;
    // At the start: indented code, list, quote and heading-underline markers, numbered lists.
    const QChar first = markdown.front();
    if (first.isSpace() || QStringView(u"-+=>").contains(first)) return false;
    qsizetype digits = 0;
    while (digits < markdown.size() && markdown.at(digits).isDigit())
        ++digits;
    if (digits > 0 && digits < markdown.size() && QStringView(u".)").contains(markdown.at(digits)))
        return false;
    // Anywhere: emphasis, code, links, HTML, entities, headings, tables, escapes, and line breaks
    // (Markdown joins lines).
    static constexpr QStringView syntax = u"\\`*_[]<>#~|&\n\r\t";
    for (const QChar c : markdown)
        if (syntax.contains(c)) return false;
    return !hasLink(markdown);
}

bool MarkdownLabel::hasLink(const QString& markdown) {
    const qsizetype n = markdown.size();
    const auto at = [&](qsizetype i) { return i >= 0 && i < n ? markdown.at(i) : QChar(); };
    const auto isSchemeChar = [](QChar c) {
        return c.isLetterOrNumber() || c == u'+' || c == u'.' || c == u'-';
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = markdown.at(i);
        if (c == u']') { // an inline or reference link: "](" or "][", blanks allowed between
            qsizetype j = i + 1;
            while (at(j).isSpace())
                ++j;
            if (at(j) == u'(' || at(j) == u'[') return true;
        } else if (c == u'<' && at(i + 1).isLetter()) { // an autolink: "<scheme:"
            qsizetype j = i + 2;
            while (isSchemeChar(at(j)))
                ++j;
            if (at(j) == u':') return true;
        } else if (c == u':' && at(i + 1) == u'/' && at(i + 2) == u'/' && isSchemeChar(at(i - 1))) {
            return true; // a bare web address
        } else if (c == u'w' && markdown.mid(i, 4) == QLatin1String("www.") &&
                   !at(i - 1).isLetterOrNumber()) {
            return true;
        } else if (c == u'@' && !at(i - 1).isNull() && !at(i - 1).isSpace() && !at(i + 1).isNull() &&
                   !at(i + 1).isSpace()) {
            return true; // a mail address
        }
    }
    return false;
}

QList<QRectF> MarkdownLabel::linkRects(int index) const {
    // The label lays its text out from the top of its contents over their width, without margins, in its
    // font, with its alignment and wrapping.
    if (!layout_) {
        layout_ = std::make_unique<QTextDocument>();
        layout_->setMarkdown(text());
        layout_->setDocumentMargin(0);
    }
    const QRect contents = contentsRect();
    QTextOption option = layout_->defaultTextOption();
    option.setAlignment(alignment());
    option.setWrapMode(wordWrap() ? QTextOption::WordWrap : QTextOption::ManualWrap);
    if (layout_->defaultFont() != font()) layout_->setDefaultFont(font());
    if (layout_->defaultTextOption().alignment() != option.alignment() ||
        layout_->defaultTextOption().wrapMode() != option.wrapMode())
        layout_->setDefaultTextOption(option);
    if (layout_->textWidth() != contents.width()) layout_->setTextWidth(contents.width());

    QList<QRectF> rects;
    const Link& link = links_.at(index);
    for (QTextBlock block = layout_->findBlock(link.start); block.isValid() && block.position() < link.end;
         block = block.next()) {
        const QPointF origin =
            layout_->documentLayout()->blockBoundingRect(block).topLeft() + contents.topLeft();
        const QTextLayout* lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const int from = std::max(link.start - block.position(), line.textStart());
            const int to = std::min(link.end - block.position(), line.textStart() + line.textLength());
            if (from >= to) continue;
            const qreal left = line.cursorToX(from);
            const qreal right = line.cursorToX(to);
            rects.append(QRectF(origin.x() + std::min(left, right), origin.y() + line.y(),
                                std::abs(right - left), line.height()));
        }
    }
    return rects;
}

int MarkdownLabel::focusedLink() const {
    return hasFocus() ? focusedLink_ : -1;
}

void MarkdownLabel::focusLink(int index) {
    if (index < 0 || index >= linkCount()) return;
    setFocus(Qt::OtherFocusReason);
    setFocusedLink(index);
}

void MarkdownLabel::activateLink(int index) {
    if (index >= 0 && index < linkCount()) emit linkActivated(links_.at(index).target);
}

void MarkdownLabel::setFocusedLink(int index) {
    if (index == focusedLink_) return;
    focusedLink_ = index;
    markFocusedLink();
    if (index >= 0 && hasFocus() && QAccessible::isActive())
        if (QAccessibleInterface* text = QAccessible::queryAccessibleInterface(this))
            if (QAccessibleInterface* link = text->child(index)) {
                QAccessibleEvent focused(link, QAccessible::Focus);
                QAccessible::updateAccessibility(&focused);
            }
}

void MarkdownLabel::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    if (links_.isEmpty()) return;
    // Tab and Shift-Tab come to the first and the last link; a click on the text shows no link focused.
    switch (event->reason()) {
    case Qt::TabFocusReason:
        return setFocusedLink(0);
    case Qt::BacktabFocusReason:
        return setFocusedLink(linkCount() - 1);
    case Qt::MouseFocusReason:
        return setFocusedLink(-1);
    default:
        if (focusedLink_ < 0) setFocusedLink(0);
    }
}

bool MarkdownLabel::focusNextPrevChild(bool next) {
    if (hasFocus() && !links_.isEmpty()) {
        const int to = focusedLink_ < 0 ? (next ? 0 : linkCount() - 1) : focusedLink_ + (next ? 1 : -1);
        if (to >= 0 && to < linkCount()) {
            setFocusedLink(to);
            return true;
        }
    }
    // Past the last link the focus moves on; QLabel would select the text's links one by one instead.
    return QWidget::focusNextPrevChild(next);
}

void MarkdownLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Return comes here only when no default button took it.
        if (focusedLink_ >= 0 && isBareKey(event, Qt::Key(key))) {
            event->accept();
            if (!event->isAutoRepeat()) activateLink(focusedLink_);
            return;
        }
        // With no link showing the focus (a press on the text gave it), the key goes on to the window as
        // where no control holds the focus: QLabel would follow a link that a selection starts in.
        event->ignore();
        return;
    }
    QLabel::keyPressEvent(event);
}

void MarkdownLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    markFocusedLink(); // its text wraps anew
}

void MarkdownLabel::markFocusedLink() {
    // The ring surrounds the focused link's text, not the whole label.
    QRectF area;
    if (focusedLink_ >= 0)
        for (const QRectF& line : linkRects(focusedLink_))
            area |= line;
    setFocusRingArea(this, area.toAlignedRect());
}

int MarkdownLabel::heightForWidth(int width) const {
    return heights_.heightForWidth(*this, width, [this](int w) { return QLabel::heightForWidth(w); });
}

} // namespace qlan
