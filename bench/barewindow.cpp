// The floor of the program's start-up as screenwatch measures it: a bare Qt Widgets
// program that shows one empty window of the drill window's size (8955 x 7890 twips,
// 597 x 526 pixels) and runs the event loop, nothing else.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(597, 526);
    window.show();
    return QApplication::exec();
}
