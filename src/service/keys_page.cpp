// "Keys emul": the stalk and the six key buttons beside its tip.
#include "app/page_context.h"
#include "service/service_pages.h"
#include "service/service_steps.h"
#include "session/protocol.h"
#include "widgets/designer.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace mfd {

namespace {
constexpr QSize PictureSize{300, 190};
constexpr QPointF ShroudExit{46, 60}; // where the lever leaves the column shroud
constexpr QPointF Tip{262, 146};      // centre of the lever's end face, the "Reset" key
constexpr double LeverWidth = 30;

constexpr int Margin = 8;
constexpr int ButtonWidth = 90;
constexpr int ButtonHeight = 30;
constexpr int RowPitch = 40;
constexpr int ColumnGap = 8;
} // namespace

QPoint KeysPage::resetKeyCentre() { return Tip.toPoint(); }

QPixmap stalkPicture()
{
    QPixmap pm(PictureSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    // Column shroud, seen from the driver's seat.
    p.setPen(QPen(QColor(20, 20, 22), 2));
    p.setBrush(QColor(58, 60, 64));
    p.drawRoundedRect(QRectF(4, 14, 52, 162), 14, 14);

    const QLineF lever(ShroudExit, Tip);
    const double length = lever.length();
    p.save();
    p.translate(ShroudExit);
    p.rotate(-lever.angle()); // QLineF counts angles anticlockwise

    QLinearGradient shade(0, -LeverWidth / 2, 0, LeverWidth / 2);
    shade.setColorAt(0, QColor(110, 112, 118));
    shade.setColorAt(1, QColor(40, 41, 45));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(-10, -LeverWidth / 2, length + 10, LeverWidth), 8, 8);

    // The rocker, "+" towards the top of the lever, "-" towards the bottom.
    const QRectF rocker(length - 92, -LeverWidth / 2 - 3, 34, LeverWidth + 6);
    p.setBrush(QColor(150, 152, 158));
    p.drawRoundedRect(rocker, 6, 6);
    p.setPen(QPen(QColor(20, 20, 22), 1));
    p.drawLine(QPointF(rocker.left() + 3, 0), QPointF(rocker.right() - 3, 0));
    QFont f = p.font();
    f.setPixelSize(14);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(rocker.left(), rocker.top(), rocker.width(), rocker.height() / 2), Qt::AlignCenter,
               QStringLiteral("+"));
    p.drawText(QRectF(rocker.left(), 0, rocker.width(), rocker.height() / 2), Qt::AlignCenter,
               QStringLiteral("-"));
    p.restore();

    // The "Reset" key on the end face of the tip.
    p.setPen(QPen(QColor(20, 20, 22), 2));
    p.setBrush(QColor(175, 40, 40));
    p.drawEllipse(Tip, 17, 17);
    p.setPen(QColor(235, 235, 235));
    f.setPixelSize(9);
    p.setFont(f);
    p.drawText(QRectF(Tip.x() - 17, Tip.y() - 17, 34, 34), Qt::AlignCenter, QStringLiteral("Reset"));
    return pm;
}

KeysPage::KeysPage(Slots &rq, QWidget *parent) : QWidget(parent), rq_(rq)
{
    auto *picture = new QLabel(this);
    picture->setPixmap(stalkPicture());
    picture->setGeometry(QRect(QPoint(Margin, Margin), PictureSize));
    picture->setAccessibleName(QStringLiteral("Steering-column stalk"));

    struct Key {
        const char *name;
        const char *caption;
        void (KeysPage::*click)();
        int row; // 0 top, 2 level with the "Reset" key
        int column; // 0 short press, 1 long press
    };
    const Key keys[] = {
        {"Button9", "+", &KeysPage::Button9Click, 0, 0},
        {"Button24", "LONG+", &KeysPage::Button24Click, 0, 1},
        {"Button10", "-", &KeysPage::Button10Click, 1, 0},
        {"Button23", "LONG-", &KeysPage::Button23Click, 1, 1},
        {"Button11", "Reset", &KeysPage::Button11Click, 2, 0},
        {"Button12", "Long reset", &KeysPage::Button12Click, 2, 1},
    };
    const int left = Margin + PictureSize.width() + 16;
    const int bottomCentre = Margin + resetKeyCentre().y();
    for (const Key &k : keys) {
        const QString caption = QString::fromLatin1(k.caption);
        auto *button = designate(new QPushButton(caption, this), k.name, caption);
        const int centre = bottomCentre - (2 - k.row) * RowPitch;
        button->setGeometry(left + k.column * (ButtonWidth + ColumnGap), centre - ButtonHeight / 2, ButtonWidth,
                            ButtonHeight);
        connect(button, &QPushButton::clicked, this, k.click);
    }
    setMinimumSize(left + 2 * ButtonWidth + ColumnGap + Margin, Margin + PictureSize.height() + Margin);
}

void KeysPage::Button9Click() { requestCommand(rq_, code::KeyPlus); }
void KeysPage::Button10Click() { requestCommand(rq_, code::KeyMinus); }
void KeysPage::Button11Click() { requestCommand(rq_, code::KeyReset); }
void KeysPage::Button12Click() { requestCommand(rq_, code::KeyLongReset); }
void KeysPage::Button24Click() { requestCommand(rq_, code::KeyLongPlus); }
void KeysPage::Button23Click() { requestCommand(rq_, code::KeyLongMinus); }

QWidget *createKeysPage(PageContext &ctx)
{
    // Both service pages register the command steps, so neither depends on the other being built.
    registerServiceSteps(ctx.driver);
    return new KeysPage(ctx.requests);
}

} // namespace mfd
