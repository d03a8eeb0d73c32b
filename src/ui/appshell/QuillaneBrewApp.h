#pragma once
// The application of the Homebrew edition: it makes the Homebrew edition current before any widget
// exists and describes its one window, whose content is the root view.

#include <QSize>

#include <memory>

namespace qlan {

class QLANRootView;

class QuillaneBrewApp {
public:
    static constexpr QSize defaultWindowSize{720, 720};

    // Makes a copy of the Homebrew edition the current edition, names the application after it (the
    // name that its window is filed under, and its settings outside a Mac application bundle, whose own
    // user defaults they are inside one) and gives it the control style. Call it once, after the QApplication
    // exists and before any widget is created.
    QuillaneBrewApp();

    // The window: a root view titled with the edition's display name, of the default size, which cannot be
    // made smaller than the root view's minimum of 720 by 700.
    std::unique_ptr<QLANRootView> makeWindow() const;

    // The program entry: creates the application, the edition, shows the window and runs the event
    // loop; returns the loop's result, or ends the process with it at once while a proxy question is still
    // being asked (SystemProxy::endNowIfAsking).
    static int main(int argc, char** argv);
};

} // namespace qlan
