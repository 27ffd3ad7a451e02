// "Transmission": per gear the road speed at 2000 rpm and the number the unit keeps for it,
// kept in step both ways.
#include "app/page_context.h"
#include "coding/blank_caption.h"
#include "coding/coding_controls.h"
#include "coding/gearbox.h"
#include "session/protocol.h"
#include "session/states.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

namespace mfd {

namespace {

using coding::spinEdit;

// A six-speed shift pattern: decoration only.
QPixmap shiftPattern()
{
    QPixmap pm(160, 110);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(170, 175, 180), 5, Qt::SolidLine, Qt::RoundCap));
    const int top = 20, mid = 55, bottom = 90;
    p.drawLine(30, mid, 130, mid);
    QFont f = p.font();
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    for (int column = 0; column < 3; ++column) {
        const int x = 30 + column * 50;
        p.drawLine(x, top, x, bottom);
        p.drawText(QRect(x - 10, 0, 20, top - 4), Qt::AlignCenter, QString::number(1 + 2 * column));
        p.drawText(QRect(x - 10, bottom + 4, 20, 16), Qt::AlignCenter, QString::number(2 + 2 * column));
    }
    return pm;
}

class TransmissionPage : public QWidget {
public:
    explicit TransmissionPage(PageContext &ctx);

private:
    void couple(SpinEdit *from, SpinEdit *to);
    void stepSave(Session &s);
    void stepRead(Session &s);
    void stepReply(Session &s);

    Slots &rq_;
    SessionDriver &driver_;
    std::array<SpinEdit *, gearbox::Gears> speed_{};
    std::array<SpinEdit *, gearbox::Gears> coupled_{};
};

TransmissionPage::TransmissionPage(PageContext &ctx) : rq_(ctx.requests), driver_(ctx.driver)
{
    auto *outer = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Tuning gearbox"));
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() + 4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    outer->addWidget(title);
    outer->addWidget(new QLabel(QStringLiteral("Enter the speed in the first column at 2000 rpm on each gear.")));

    auto *middle = new QHBoxLayout;
    auto *rows = new QGridLayout;
    for (int g = 0; g < gearbox::Gears; ++g) {
        const gearbox::Row &r = gearbox::Rows[g];
        const QString caption = QString::fromLatin1(r.caption);
        speed_[g] = spinEdit(r.speedEdit, caption, gearbox::SpeedMin, gearbox::SpeedMax, r.speedStart);
        coupled_[g] = spinEdit(r.coupledEdit, QStringLiteral("Gear %1, %").arg(g + 1), gearbox::CoupledMin,
                               gearbox::CoupledMax, r.coupledStart);
        auto *label = new QLabel(caption);
        label->setBuddy(speed_[g]);
        rows->addWidget(label, g, 0);
        rows->addWidget(speed_[g], g, 1);
        rows->addWidget(new coding::BlankCaption(QStringLiteral("km/h              %"), coupled_[g]), g, 2);
    }
    middle->addLayout(rows);

    auto *read = coding::button("Button28", QStringLiteral("Read "));
    auto *save = coding::button("Button27", QStringLiteral("Save"));
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(read);
    buttons->addStretch(1);
    buttons->addWidget(save);
    middle->addLayout(buttons);
    middle->addStretch(1);
    outer->addLayout(middle);

    auto *picture = new QLabel;
    picture->setPixmap(shiftPattern());
    outer->addWidget(picture);
    outer->addStretch(1);

    // The start values are not all in step; only a change of a row brings that row in step.
    // SpinEdit27Change to SpinEdit38Change:
    for (int g = 0; g < gearbox::Gears; ++g) {
        couple(speed_[g], coupled_[g]);
        couple(coupled_[g], speed_[g]);
    }

    // Button27Click, Button28Click
    connect(save, &QPushButton::clicked, this, [this] { rq_.request(state::SaveGearbox, code::SaveGearbox); });
    connect(read, &QPushButton::clicked, this, [this] { rq_.request(state::ReadGearbox, code::ReadGearbox); });

    driver_.registerStep(state::SaveGearbox, [this](Session &s) { stepSave(s); });
    driver_.registerStep(state::ReadGearbox, [this](Session &s) { stepRead(s); });
    driver_.registerStep(state::GearboxReply, [this](Session &s) { stepReply(s); });
}

void TransmissionPage::couple(SpinEdit *from, SpinEdit *to)
{
    // The exchange nests: setting the partner runs the partner's handler at once, which may set
    // this edit in turn; it ends where a set leaves a text as it was. A text reading 0 (only
    // while typing) has no partner value, and the partner keeps its own.
    connect(from, &SpinEdit::changed, this, [from, to] {
        if (const auto other = gearbox::partner(from->value()))
            to->setValue(*other);
    });
}

void TransmissionPage::stepSave(Session &s)
{
    std::array<int, gearbox::Gears> values{};
    for (int g = 0; g < gearbox::Gears; ++g)
        values[g] = coding::wireValue(*coupled_[g]);
    s.RxMark = sendCommand(driver_.link(), rq_.ReqCode, gearbox::savePayload(values));
    rq_.SessionState = state::Idle;
}

void TransmissionPage::stepRead(Session &s)
{
    s.RxMark = sendCommand(driver_.link(), rq_.ReqCode);
    rq_.SessionState = state::GearboxReply;
}

void TransmissionPage::stepReply(Session &s)
{
    if (!driver_.arrived(s, reply::Gearbox.awaited))
        return;
    std::array<std::uint8_t, gearbox::Gears> gears{};
    coding::takeReply(driver_.link(), reply::Gearbox, gears.data());
    for (int g = 0; g < gearbox::Gears; ++g)
        coupled_[g]->setValue(gears[g]);
    rq_.SessionState = state::Idle;
}

} // namespace

QWidget *createTransmissionPage(PageContext &ctx) { return new TransmissionPage(ctx); }

} // namespace mfd
