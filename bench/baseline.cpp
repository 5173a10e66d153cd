// SPDX-License-Identifier: MIT
// The floor for start-up: an empty Qt widgets program that shows one window and quits as
// soon as the window is exposed. bench_runner times it from process start to exit.
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.show();

    // The same wait as bench::waitUntilExposed, kept inline so that this program links
    // nothing but Qt Widgets.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QCoreApplication::processEvents();
        if (window.windowHandle() && window.windowHandle()->isExposed())
            return 0;
        if (waited.elapsed() > 5000)
            return 1;
        QThread::usleep(200);
    }
}
