// Minimal start until the main window lands: shows which devices the
// library finds.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Quembrel"));
    label.resize(1020, 700);
    label.setAlignment(Qt::AlignCenter);
    label.show();
    return app.exec();
}
