#include "ui/diagnose/DiagnoseStatusScreens.h"

#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/ProminentButton.h"

#include <QVBoxLayout>

namespace qlan {
namespace {

// Puts the scaffold into `screen` edge to edge. A status screen has no article of its own: no link.
ScreenScaffold* fill(QWidget* screen, const QString& title, const QString& message, QWidget* content) {
    auto* scaffold =
        new ScreenScaffold(title, message, content, ScreenScaffold::Options::withoutArticleLink());
    auto* layout = new QVBoxLayout(screen);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scaffold);
    return scaffold;
}

// A screen whose content is one prominent button that calls `action` once per click.
ScreenScaffold* fillWithButton(QWidget* screen, const QString& title, const QString& message,
                               const QString& buttonTitle, std::function<void()> action,
                               QPushButton** button) {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    *button = new ProminentButton(buttonTitle);
    QObject::connect(*button, &QPushButton::clicked, screen, [action = std::move(action)] {
        if (action) action();
    });
    layout->addWidget(*button, 0, Qt::AlignLeading);
    return fill(screen, title, message, content);
}

} // namespace

ProgressScaffold::ProgressScaffold(QWidget* parent)
    : QWidget(parent) {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->addWidget(new ActivityIndicator(ControlSize::large), 0, Qt::AlignLeading);
    scaffold_ = fill(this, QStringLiteral("Diagnosing Java…"),
                     QStringLiteral("Running three quick checks to figure out what's going on."), content);
}

CompletedScaffold::CompletedScaffold(const QString& message, std::function<void()> onContinue,
                                     QWidget* parent)
    : QWidget(parent) {
    scaffold_ = fillWithButton(this, QStringLiteral("Done"), message,
                               QStringLiteral("Continue to system audit"), std::move(onContinue), &button_);
    setAccessibilityIdentifier(button_, QStringLiteral("continue-to-audit"));
}

ErrorScaffold::ErrorScaffold(const QString& message, std::function<void()> onBack, QWidget* parent)
    : QWidget(parent) {
    scaffold_ = fillWithButton(this, QStringLiteral("Something went wrong"), message, QStringLiteral("Back"),
                               std::move(onBack), &button_);
}

} // namespace qlan
