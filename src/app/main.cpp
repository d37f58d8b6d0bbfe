#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel w(QStringLiteral("Knjige Lumen"));
    w.show();
    return app.exec();
}
