#pragma once
// The application of the Homebrew edition: it makes the Homebrew edition current before any widget
// exists and describes its one window, whose content is the root view.

#include <QSize>

#include <memory>

class QWidget;

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
    // loop; then ends the run (endRun) with the loop's result.
    static int main(int argc, char** argv);

    // The end of a run whose event loop ended with `status`, up to where the application object goes: the
    // window is destroyed, its screens ending their jobs as a close does (waiting, a few seconds at most,
    // until the children of those jobs are gone), and the usage events are written to their queue file. Then,
    // while a proxy question is still inside the system's answerer, the process ends here with `status`, its
    // output flushed (SystemProxy::endNowIfAsking); otherwise returns `status`.
    static int endRun(std::unique_ptr<QWidget> window, int status);
};

} // namespace qlan
