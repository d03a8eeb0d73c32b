// The smallest Qt window program of the same size that shows text (one label, so that it pays for the
// font set-up that any window with text pays), reporting its first frame.
#include "FirstFrameReporter.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    FirstFrameReporter reporter;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Hello")));
    window.resize(720, 720);
    window.show();
    return QApplication::exec();
}
