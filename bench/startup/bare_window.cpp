// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the start-up figures: the least a Qt Widgets program does to put a window on
// screen, built with the same compiler, flags and Qt as Zelvara.
#include <QApplication>
#include <QWidget>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(u"Zelvara bare window"_s);
    window.setFixedSize(511, 473);
    window.show();
    return QApplication::exec();
}
