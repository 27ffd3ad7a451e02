#include "app/theme.h"

#include <QPalette>
#include <QStyleFactory>

namespace mfd {

bool applyDarkTheme(QApplication &app)
{
    QStyle *style = QStyleFactory::create(QStringLiteral("Fusion"));
    if (!style)
        return false;
    app.setStyle(style);
    QPalette p;
    const QColor slate(54, 60, 66), base(36, 40, 44), text(225, 228, 230);
    p.setColor(QPalette::Window, slate);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, slate);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(64, 70, 77));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Highlight, QColor(70, 130, 180));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(110, 170, 220));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 124, 128));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 124, 128));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 124, 128));
    app.setPalette(p);
    return true;
}

} // namespace mfd
