#include <QApplication>
#include <QMainWindow>
#include <clocale>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QMainWindow w;
    w.setWindowTitle("Sunvane V5.4.2");
    w.resize(1280, 800);
    w.show();
    return app.exec();
}
