// "Config": the unit's vehicle configuration record as ten settings, read, saved and refreshed
// by the service commands whose answer is that same record.
#include "app/page_context.h"
#include "coding/blank_caption.h"
#include "coding/coding_controls.h"
#include "coding/config_record.h"
#include "session/protocol.h"
#include "session/states.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mfd {

namespace {

using coding::button;
using coding::editableList;
using coding::spinEdit;
using coding::wireValue;

class ConfigPage : public QWidget {
public:
    explicit ConfigPage(PageContext &ctx);

private:
    void Button5Click();
    void stepSave(Session &s);
    void stepCommand(Session &s);
    void stepReply(Session &s);
    void showRecord(const config::Shown &shown);

    Slots &rq_;
    SessionDriver &driver_;
    DriverView &view_;

    EditableList *version_ = editableList("ComboBox3", QStringLiteral("1. Version"), config::VersionEntries);
    SpinEdit *number_ = spinEdit("SpinEdit4", QStringLiteral("2. №"), config::NumberMin, config::NumberMax,
                                 config::NumberMin);
    EditableList *canMode_ = editableList("ComboBox5", QStringLiteral("3. 46-CCSM"), config::CanModeEntries);
    EditableList *display_ = editableList("ComboBox4", QStringLiteral("4. Type of Display"), config::DisplayEntries);
    EditableList *model_ = editableList("ComboBox8", QStringLiteral("5. Mark and Model"), config::CarModelEntries);
    EditableList *language_ = editableList("ComboBox7", QStringLiteral("6. Language"), config::LanguageEntries);
    EditableList *buttons_ = editableList("ComboBox6", QStringLiteral("7. Buttons"), config::ButtonEntries);
    EditableList *boost_ = editableList("ComboBox9", QStringLiteral("8. Turbo Boost"), config::BoostEntries);
    SpinEdit *battery1_ = spinEdit("SpinEdit5", QStringLiteral("9. Battery calibration"), config::BatteryMin,
                                   config::BatteryMax, config::BatteryMin);
    SpinEdit *battery2_ = spinEdit("SpinEdit6", QStringLiteral("9. Battery calibration"), config::BatteryMin,
                                   config::BatteryMax, config::BatteryMin);
    EditableList *remap_ = editableList("ComboBox1", QStringLiteral("10. Remap Buttons"), config::RemapEntries);
};

ConfigPage::ConfigPage(PageContext &ctx) : rq_(ctx.requests), driver_(ctx.driver), view_(ctx.view)
{
    // Start states: a model text that is no entry, the boost list showing entry 1, and only
    // "10. Remap Buttons" with a selected entry.
    version_->setText(QStringLiteral("7"));
    model_->setText(QStringLiteral("01 GOLF 4(immo3)"));
    boost_->setText(config::BoostEntries.at(1));
    remap_->setSelectedIndex(0);

    auto *read = button("Button6", QStringLiteral("Read Config"));
    auto *save = button("Button5", QStringLiteral("Save Config"));
    auto *resetBc = button("Button22", QStringLiteral("Reset all BC"));
    auto *reboot = button("BitBtn19", QStringLiteral("Reboot"));
    QFont large = reboot->font();
    large.setPointSize(14);
    large.setBold(true);
    reboot->setFont(large);
    reboot->setMinimumSize(140, 48);

    auto *group = new QGroupBox(QStringLiteral("Configuration"));
    group->setAccessibleName(group->title());
    auto *grid = new QGridLayout(group);
    int row = 0;
    grid->addWidget(read, row++, 0, Qt::AlignLeft);
    const auto addRow = [&](const QString &caption, QWidget *control) {
        auto *label = new QLabel(caption);
        label->setBuddy(control);
        grid->addWidget(label, row, 0);
        grid->addWidget(control, row++, 1, 1, 3);
    };
    {
        auto *label = new QLabel(QStringLiteral("1. Version"));
        label->setBuddy(version_);
        grid->addWidget(label, row, 0);
        grid->addWidget(version_, row, 1);
        auto *numberLabel = new QLabel(QStringLiteral("2. №"));
        numberLabel->setBuddy(number_);
        grid->addWidget(numberLabel, row, 2, Qt::AlignRight);
        grid->addWidget(number_, row++, 3);
    }
    addRow(QStringLiteral("3. 46-CCSM"), canMode_);
    addRow(QStringLiteral("4. Type of Display"), display_);
    addRow(QStringLiteral("5. Mark and Model"), model_);
    addRow(QStringLiteral("6. Language"), language_);
    addRow(QStringLiteral("7. Buttons"), buttons_);
    addRow(QStringLiteral("8. Turbo Boost"), boost_);
    {
        auto *battery = new QHBoxLayout;
        battery->addWidget(
            new coding::BlankCaption(QStringLiteral("9. Battery calibration                         /"), battery1_));
        battery->addWidget(battery2_);
        battery->addStretch(1);
        grid->addLayout(battery, row++, 0, 1, 4);
    }
    addRow(QStringLiteral("10. Remap Buttons"), remap_);
    grid->addWidget(save, row++, 0, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto *side = new QVBoxLayout;
    side->addWidget(resetBc);
    side->addStretch(1);
    side->addWidget(reboot);

    auto *outer = new QHBoxLayout(this);
    outer->addWidget(group, 1);
    outer->addLayout(side);

    // Button6Click, Button22Click: the reply is the configuration record, shown here.
    connect(read, &QPushButton::clicked, this, [this] { rq_.request(state::ConfigCommand, code::ReadConfig); });
    connect(resetBc, &QPushButton::clicked, this, [this] { rq_.request(state::ConfigCommand, code::ResetAllBc); });
    connect(save, &QPushButton::clicked, this, [this] { Button5Click(); });
    // BitBtn19Click
    connect(reboot, &QPushButton::clicked, this, [this] { rq_.request(state::Command, code::Reboot); });

    driver_.registerStep(state::SaveConfig, [this](Session &s) { stepSave(s); });
    driver_.registerStep(state::ConfigCommand, [this](Session &s) { stepCommand(s); });
    driver_.registerStep(state::ConfigReply, [this](Session &s) { stepReply(s); });
}

void ConfigPage::Button5Click()
{
    const auto list = [](const EditableList *l) { return config::ListState{l->selectedIndex(), l->text()}; };
    config::PageValues page;
    page.number = wireValue(*number_);
    page.version = version_->text();
    page.display = display_->text();
    page.canMode = list(canMode_);
    page.buttons = list(buttons_);
    page.language = list(language_);
    page.battery = {wireValue(*battery1_), wireValue(*battery2_)};
    page.model = model_->text();
    page.boost = list(boost_);
    page.remap = list(remap_);

    const config::SaveResult built = config::encode(page, rq_.ConfigRecord);
    if (!built.record) {
        view_.reportError(built.error);
        return;
    }
    rq_.ConfigRecord = *built.record;
    rq_.XferBuf = rq_.ConfigRecord;
    rq_.request(state::SaveConfig, code::SaveConfig);
}

void ConfigPage::stepSave(Session &s)
{
    s.RxMark = sendCommand(driver_.link(), rq_.ReqCode, {rq_.XferBuf.begin(), rq_.XferBuf.end()});
    rq_.SessionState = state::Idle;
}

void ConfigPage::stepCommand(Session &s)
{
    s.RxMark = sendCommand(driver_.link(), rq_.ReqCode);
    rq_.SessionState = state::ConfigReply;
}

void ConfigPage::stepReply(Session &s)
{
    if (!driver_.arrived(s, reply::Config.awaited))
        return;
    coding::takeReply(driver_.link(), reply::Config, rq_.XferBuf.data());
    rq_.ConfigRecord = rq_.XferBuf;
    showRecord(config::decode(rq_.ConfigRecord));
    rq_.SessionState = state::Idle;
}

void ConfigPage::showRecord(const config::Shown &shown)
{
    // Every list starts empty, so one whose value matches no entry shows neither text nor selection.
    for (EditableList *l : {remap_, version_, display_, canMode_, buttons_, language_, model_, boost_})
        l->setText(QString());
    number_->setValue(shown.number);
    version_->setText(shown.version);
    display_->setSelectedIndex(shown.display);
    canMode_->setSelectedIndex(shown.canMode);
    buttons_->setSelectedIndex(shown.buttons);
    language_->setSelectedIndex(shown.language);
    battery1_->setValue(shown.battery[0]);
    battery2_->setValue(shown.battery[1]);
    remap_->setSelectedIndex(shown.remap);
    model_->setSelectedIndex(shown.model);
    boost_->setSelectedIndex(shown.boost);
}

} // namespace

QWidget *createConfigPage(PageContext &ctx) { return new ConfigPage(ctx); }

} // namespace mfd
