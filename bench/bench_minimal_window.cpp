// The least a Qt Widgets program does to show a window: the reference for the
// program's start-up. bench_startup starts it the same way as the program and
// gives it the program's window size (width and height as arguments); with
// --label it also shows one line of text, so it loads fonts as any window with
// text must. The firstpaint plugin ends it at its first frame.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    if (argc >= 3)
        window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
    if (argc >= 4 && std::strcmp(argv[3], "--label") == 0)
        new QLabel(QStringLiteral("Выберите радиостанцию"), &window);
    window.show();
    return app.exec();
}
