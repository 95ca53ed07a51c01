// The yardstick of the start-up figures: a minimal Qt Widgets program that shows one window
// of the main window's size and ends at its first paint.

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include "firstpaint.h"

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    QWidget window;
    window.resize(474, 320);
    ExitAfterFirstPaint exitAfterPaint(window, sinceStart);
    window.show();
    return QApplication::exec();
}
