#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel janela("Zolvek");
    janela.show();
    return app.exec();
}
