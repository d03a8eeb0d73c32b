#include "support/AccessibleNames.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <optional>

namespace qlan::test {

QString shownText(const QLabel* label) {
    const QString text = label->text();
    QTextDocument document;
    switch (label->textFormat()) {
    case Qt::MarkdownText:
        document.setMarkdown(text);
        return document.toPlainText();
    case Qt::RichText:
        document.setHtml(text);
        return document.toPlainText();
    case Qt::AutoText:
        if (!Qt::mightBeRichText(text)) return text;
        document.setHtml(text);
        return document.toPlainText();
    case Qt::PlainText:
        break;
    }
    return text;
}

namespace {

// A button's title as drawn: a single '&' marks the mnemonic, "&&" shows one '&'.
QString withoutMnemonics(const QString& title) {
    QString shown;
    for (qsizetype i = 0; i < title.size(); ++i) {
        if (title.at(i) == u'&' && i + 1 < title.size()) ++i;
        shown.append(title.at(i));
    }
    return shown;
}

// What the widget reads as; nothing for a widget that shows no text of its own.
std::optional<QString> readText(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return withoutMnemonics(button->text());
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return shownText(label);
    return std::nullopt;
}

} // namespace

bool isTextField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget);
}

QString announcedName(QWidget* widget) {
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(widget);
    return interface ? interface->text(QAccessible::Name) : QString();
}

::testing::AssertionResult announcesShownTexts(QWidget* screen) {
    QStringList faults;
    QList<QWidget*> widgets = screen->findChildren<QWidget*>();
    widgets.prepend(screen);
    for (QWidget* widget : widgets) {
        if (!widget->isVisible()) continue;
        const QString name = announcedName(widget);
        const std::optional<QString> shown = readText(widget);
        const QString what = QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') +
                             widget->objectName() + QStringLiteral(": reads \"") + name + QLatin1Char('"');
        if (shown && !shown->isEmpty() && name != *shown)
            faults << what + QStringLiteral(", shows \"") + *shown + QLatin1Char('"');
        else if ((isTextField(widget) ||
                  (shown && shown->isEmpty() && qobject_cast<QAbstractButton*>(widget))) &&
                 name.trimmed().isEmpty())
            faults << what + QStringLiteral(", a control without a name");
        else if (!widget->objectName().isEmpty() && name == widget->objectName() && name != shown)
            faults << what + QStringLiteral(", its identifier");
    }
    if (faults.isEmpty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << faults.join(QLatin1Char('\n')).toStdString();
}

namespace {

// Runs `act` with the accessibility layer active, as a screen reader makes it, handing each event it sends
// to `handler`; the handler goes and the layer is put back however `act` ends.
void listenWhile(const std::function<void()>& act, QAccessible::UpdateHandler handler) {
    QPlatformAccessibility* platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
    platform->setActive(true);
    QAccessible::installUpdateHandler(handler);
    const auto stopListening = qScopeGuard([platform] {
        QAccessible::installUpdateHandler(nullptr);
        platform->setActive(false);
    });
    act();
    QCoreApplication::sendPostedEvents(); // what a widget tells once the turn's changes are done
}

} // namespace

QStringList toldWhile(const std::function<void()>& act) {
    return heardWhile(act).announced;
}

namespace {

Heard heard;

} // namespace

const Heard& heardSoFar() {
    return heard;
}

Heard heardWhile(const std::function<void()>& act) {
    heard = {};
    listenWhile(act, [](QAccessibleEvent* event) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        if (event->type() == QAccessible::Announcement)
            heard.announced << static_cast<QAccessibleAnnouncementEvent*>(event)->message();
#endif
        if (event->type() == QAccessible::Alert) {
            heard.announced << event->accessibleInterface()->text(QAccessible::Name);
        } else if (event->type() == QAccessible::Focus) {
            QAccessibleInterface* interface = event->accessibleInterface();
            QObject* widget = event->object();
            const auto* shown = qobject_cast<QWidget*>(widget);
            heard.focus << Told{widget, interface ? interface->text(QAccessible::Name) : QString(),
                                widget ? QByteArray(widget->metaObject()->className()) : QByteArray(),
                                shown ? shown->window() : nullptr, event->child()};
        } else if (event->type() == QAccessible::StateChanged &&
                   static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().disabled &&
                   !heard.enabledChanges.contains(event->object())) {
            heard.enabledChanges << event->object();
        }
    });
    return heard;
}

void PrintTo(const Told& told, std::ostream* out) {
    *out << (told.kind.isEmpty() ? "a widget" : told.kind.constData()) << " \"" << told.name.toStdString()
         << '"';
}

QList<QObject*> focusedWidgetsWhile(const std::function<void()>& act) {
    QList<QObject*> focused;
    for (const Told& told : heardWhile(act).focus)
        focused << told.widget;
    return focused;
}

QList<int> focusedChildrenWhile(const std::function<void()>& act) {
    QList<int> focused;
    for (const Told& told : heardWhile(act).focus)
        focused << told.child;
    return focused;
}

} // namespace qlan::test
