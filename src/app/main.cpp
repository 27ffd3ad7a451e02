#include "app/main_window.h"
#include "app/theme.h"
#include "session/clock.h"
#include "session/serial_link.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("mfd-shell"));
    if (!mfd::applyDarkTheme(app))
        QMessageBox::critical(nullptr, QStringLiteral("mfd-shell"), QStringLiteral("Cannot apply the dark style"));

    mfd::SerialLink link;
    mfd::SteadyClock clock;
    mfd::TForm3 window(link, clock);
    window.show();
    return app.exec();
}
