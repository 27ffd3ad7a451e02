// "Extra Coding": the unit's extra coding record as warnings, limits, switches and a theme.
#include "app/page_context.h"
#include "coding/coding_controls.h"
#include "coding/extra_coding_record.h"
#include "session/protocol.h"
#include "session/states.h"
#include "widgets/designer.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace mfd {

namespace {

using coding::spinEdit;
using coding::wireValue;

QListWidget *checkList(const char *designerName, const QString &caption, const QStringList &items)
{
    auto *list = designate(new QListWidget, designerName, caption);
    for (const QString &text : items) {
        auto *item = new QListWidgetItem(text, list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    return list;
}

// Item i checked sets bit i.
std::uint8_t maskOf(const QListWidget *list)
{
    unsigned mask = 0;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            mask |= 1u << i;
    return static_cast<std::uint8_t>(mask);
}

void checkByMask(QListWidget *list, std::uint8_t mask)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState((mask >> i) & 1 ? Qt::Checked : Qt::Unchecked);
}

class ExtraCodingPage : public QWidget {
public:
    explicit ExtraCodingPage(PageContext &ctx);

private:
    void Button3Click();
    void stepSave(Session &s);
    void stepRead(Session &s);
    void stepReply(Session &s);

    Slots &rq_;
    SessionDriver &driver_;
    // Bytes 5 and 6 are the unit's own: a save sends back what the last read brought (zero before
    // any), never what a configuration transfer left in the shared buffer.
    std::uint8_t unitByte5_ = 0;
    std::uint8_t unitByte6_ = 0;

    QListWidget *warnings_ = checkList("CheckListBox1", QStringLiteral("Warnings"), extra::WarningItems);
    SpinEdit *speedLimit_ = spinEdit("SpinEdit3", QStringLiteral("Speed limit value (km/h)"), extra::SpeedLimitMin,
                                     extra::SpeedLimitMax, 90, extra::SpinStep);
    SpinEdit *coffeeTime_ = spinEdit("SpinEdit39", QStringLiteral("Coffeebreak time (min)"), extra::CoffeeMin,
                                     extra::CoffeeMax, 240, extra::SpinStep);
    SpinEdit *coffeeDistance_ = spinEdit("SpinEdit40", QStringLiteral("Coffeebreak distance (km)"),
                                         extra::CoffeeMin, extra::CoffeeMax, 240, extra::SpinStep);
    QListWidget *switches_ = checkList("CheckListBox2", QStringLiteral("Switches"), extra::SwitchItems);
    QListWidget *gearbox_ = checkList("CheckListBox3", QStringLiteral("Gearbox and consumption"), extra::GearboxItems);
    QButtonGroup *theme_ = new QButtonGroup(this);
};

ExtraCodingPage::ExtraCodingPage(PageContext &ctx) : rq_(ctx.requests), driver_(ctx.driver)
{
    auto *read = coding::button("Button4", QStringLiteral("Read Extra Encode"));
    auto *save = coding::button("Button3", QStringLiteral("Save Extra Encode"));

    auto *themes = designate(new QGroupBox, "RadioGroup2", QStringLiteral("Colour theme"));
    auto *themeColumn = new QVBoxLayout(themes);
    for (int i = 0; i < extra::ThemeItems.size(); ++i) {
        auto *radio = new QRadioButton(extra::ThemeItems.at(i));
        radio->setAccessibleName(radio->text());
        radio->setAccessibleDescription(QStringLiteral("RadioGroup2.Items[%1]").arg(i));
        theme_->addButton(radio, i);
        themeColumn->addWidget(radio);
    }
    theme_->button(0)->setChecked(true);

    auto *group = new QGroupBox(QStringLiteral("Warnings"));
    group->setAccessibleName(group->title());
    auto *grid = new QGridLayout(group);
    grid->addWidget(read, 0, 0, Qt::AlignLeft);
    grid->addWidget(save, 0, 1, Qt::AlignRight);
    grid->addWidget(warnings_, 1, 0);
    auto *limits = new QGridLayout;
    int row = 0;
    for (SpinEdit *edit : {speedLimit_, coffeeTime_, coffeeDistance_}) {
        auto *label = new QLabel(edit->accessibleName());
        label->setBuddy(edit);
        limits->addWidget(label, row, 0);
        limits->addWidget(edit, row++, 1);
    }
    limits->setRowStretch(row, 1);
    grid->addLayout(limits, 1, 1);
    grid->addWidget(switches_, 2, 0);
    auto *right = new QVBoxLayout;
    right->addWidget(gearbox_);
    right->addWidget(themes);
    right->addStretch(1);
    grid->addLayout(right, 2, 1);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(group);

    // Button4Click
    connect(read, &QPushButton::clicked, this, [this] { rq_.request(state::ReadExtraCoding, code::ReadExtraCoding); });
    connect(save, &QPushButton::clicked, this, [this] { Button3Click(); });

    driver_.registerStep(state::SaveExtraCoding, [this](Session &s) { stepSave(s); });
    driver_.registerStep(state::ReadExtraCoding, [this](Session &s) { stepRead(s); });
    driver_.registerStep(state::ExtraCodingReply, [this](Session &s) { stepReply(s); });
}

void ExtraCodingPage::Button3Click()
{
    extra::Values v;
    v.warnings = maskOf(warnings_);
    v.speedLimit = wireValue(*speedLimit_);
    v.switches = maskOf(switches_);
    v.coffeeTime = wireValue(*coffeeTime_);
    v.coffeeDistance = wireValue(*coffeeDistance_);
    v.gearbox = maskOf(gearbox_);
    v.theme = theme_->checkedId();
    const extra::Record record = extra::encode(v, unitByte5_, unitByte6_);
    std::copy(record.begin(), record.end(), rq_.XferBuf.begin());
    rq_.request(state::SaveExtraCoding, code::SaveExtraCoding);
}

void ExtraCodingPage::stepSave(Session &s)
{
    s.RxMark = sendCommand(driver_.link(), rq_.ReqCode, {rq_.XferBuf.begin(), rq_.XferBuf.begin() + ExtraCodingSize});
    rq_.SessionState = state::Idle;
}

void ExtraCodingPage::stepRead(Session &s)
{
    s.RxMark = sendCommand(driver_.link(), rq_.ReqCode);
    rq_.SessionState = state::ExtraCodingReply;
}

void ExtraCodingPage::stepReply(Session &s)
{
    if (!driver_.arrived(s, reply::ExtraCoding.awaited))
        return;
    coding::takeReply(driver_.link(), reply::ExtraCoding, rq_.XferBuf.data());
    extra::Record record;
    std::copy_n(rq_.XferBuf.begin(), record.size(), record.begin());
    unitByte5_ = record[5];
    unitByte6_ = record[6];

    const extra::Values v = extra::decode(record);
    speedLimit_->setValue(v.speedLimit);
    coffeeTime_->setValue(v.coffeeTime);
    coffeeDistance_->setValue(v.coffeeDistance);
    checkByMask(warnings_, v.warnings);
    checkByMask(switches_, v.switches);
    checkByMask(gearbox_, v.gearbox);
    theme_->button(v.theme)->setChecked(true);
    rq_.SessionState = state::Idle;
}

} // namespace

QWidget *createExtraCodingPage(PageContext &ctx) { return new ExtraCodingPage(ctx); }

} // namespace mfd
