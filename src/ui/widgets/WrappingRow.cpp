#include "ui/widgets/WrappingRow.h"

#include <QLayout>
#include <QWidgetItem>

#include <algorithm>

namespace qlan {
namespace {

class WrappingLayout : public QLayout {
public:
    WrappingLayout(QWidget* owner, int spacing)
        : QLayout(owner) {
        setContentsMargins(0, 0, 0, 0);
        setSpacing(spacing);
    }
    ~WrappingLayout() override {
        while (QLayoutItem* item = takeAt(0))
            delete item;
    }

    void addItem(QLayoutItem* item) override { items_.append(item); }
    int count() const override { return int(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override {
        return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
    }

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }

    // On one line.
    QSize sizeHint() const override {
        QSize size;
        for (const QLayoutItem* item : shown()) {
            const QSize hint = item->sizeHint();
            size = QSize(size.width() + (size.width() > 0 ? spacing() : 0) + hint.width(),
                         std::max(size.height(), hint.height()));
        }
        return size;
    }
    // One item to a line.
    QSize minimumSize() const override {
        QSize size;
        for (const QLayoutItem* item : shown())
            size = size.expandedTo(item->sizeHint());
        return size;
    }

    void setGeometry(const QRect& rect) override {
        QLayout::setGeometry(rect);
        arrange(rect, true);
    }

private:
    QList<QLayoutItem*> shown() const {
        QList<QLayoutItem*> visible;
        for (QLayoutItem* item : items_)
            if (!item->isEmpty()) visible.append(item);
        return visible;
    }

    // Lays the items out in lines inside `rect` when `apply`; returns the height the lines take.
    int arrange(const QRect& rect, bool apply) const {
        const QList<QLayoutItem*> items = shown();
        int top = rect.top();
        for (qsizetype first = 0; first < items.size();) {
            // The line takes items while they fit, and always one.
            qsizetype end = first;
            int width = 0;
            int height = 0;
            while (end < items.size()) {
                const QSize hint = items[end]->sizeHint();
                const int wider = width + (end > first ? spacing() : 0) + hint.width();
                if (end > first && wider > rect.width()) break;
                width = wider;
                height = std::max(height, hint.height());
                ++end;
            }
            if (apply) {
                int left = rect.left();
                for (qsizetype at = first; at < end; ++at) {
                    const QSize hint = items[at]->sizeHint();
                    const int width = std::min(hint.width(), rect.width());
                    items[at]->setGeometry(
                        QRect(left, top + (height - hint.height()) / 2, width, hint.height()));
                    left += width + spacing();
                }
            }
            top += height + (end < items.size() ? spacing() : 0);
            first = end;
        }
        return top - rect.top();
    }

    QList<QLayoutItem*> items_;
};

} // namespace

WrappingRow::WrappingRow(const QList<QWidget*>& items, int spacing, QWidget* parent)
    : QWidget(parent) {
    new WrappingLayout(this, spacing);
    for (QWidget* item : items)
        addWidget(item);
}

void WrappingRow::addWidget(QWidget* item) {
    layout()->addWidget(item);
}

} // namespace qlan
