// The least a Qt Widgets program does to show a window: the reference for the
// program's start-up. bench_startup starts both the same way and gives this one the
// program's window size (width and height as arguments); the firstpaint plugin it
// loads ends each at its first frame.
#include <QApplication>
#include <QWidget>

#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    if (argc == 3)
        window.resize(atoi(argv[1]), atoi(argv[2]));
    window.show();
    return app.exec();
}
