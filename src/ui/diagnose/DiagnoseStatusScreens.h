#pragma once
// The three small screens of the Java diagnosis that show neither a diagnosis nor a verification: the
// progress screen while the Mac is examined, the completed screen after a fix that needs no Java check,
// and the error screen after a fix that failed. Each shows a fixed title and a message (inline Markdown
// in it is rendered) and at most one button, which only calls its callback.

#include <QWidget>

#include <functional>

class QPushButton;

namespace qlan {

class ScreenScaffold;

class ProgressScaffold : public QWidget {
    Q_OBJECT
public:
    explicit ProgressScaffold(QWidget* parent = nullptr);
    ScreenScaffold* scaffold() const { return scaffold_; }

private:
    ScreenScaffold* scaffold_ = nullptr;
};

class CompletedScaffold : public QWidget {
    Q_OBJECT
public:
    CompletedScaffold(const QString& message, std::function<void()> onContinue, QWidget* parent = nullptr);
    ScreenScaffold* scaffold() const { return scaffold_; }
    QPushButton* button() const { return button_; }

private:
    ScreenScaffold* scaffold_ = nullptr;
    QPushButton* button_ = nullptr;
};

class ErrorScaffold : public QWidget {
    Q_OBJECT
public:
    ErrorScaffold(const QString& message, std::function<void()> onBack, QWidget* parent = nullptr);
    ScreenScaffold* scaffold() const { return scaffold_; }
    QPushButton* button() const { return button_; }

private:
    ScreenScaffold* scaffold_ = nullptr;
    QPushButton* button_ = nullptr;
};

} // namespace qlan
