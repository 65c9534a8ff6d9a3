#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavimo"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tavimo"));
    window.show();
    return QApplication::exec();
}
