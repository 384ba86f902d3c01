// The second reference for the start-up benchmark: the empty window with a line of text and a
// button in it, so the fonts are loaded and the text drawn as in any window that shows words.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(694, 440);
    QLabel label(QStringLiteral("CAN / Modbus TCP Slave - Converter"), &window);
    label.move(16, 16);
    QPushButton button(QStringLiteral("Settings"), &window);
    button.move(16, 60);
    window.show();
    QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}
