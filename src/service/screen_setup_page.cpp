// "Screen Setup": the "Screen size" and "Debug" groups on the left, the gamma pages on the right.
#include "app/page_context.h"
#include "service/service_pages.h"
#include "service/service_steps.h"
#include "session/protocol.h"
#include "widgets/designer.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mfd {

namespace {
QPushButton *button(const char *name, const char *caption)
{
    const QString text = QString::fromLatin1(caption);
    return designate(new QPushButton(text), name, text);
}

// A click has already taken the focus from the edit and so brought a typed number into range;
// this holds the range also when the handler is reached without that focus change.
int argumentOf(SpinEdit *edit)
{
    edit->setValue(edit->value());
    return edit->value();
}
} // namespace

ScreenSetupPage::ScreenSetupPage(Slots &rq, QWidget *gamma, QWidget *parent) : QWidget(parent), rq_(rq)
{
    auto *outer = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    left->addWidget(buildScreenSize());
    left->addWidget(buildDebug());
    left->addStretch(1);
    outer->addLayout(left, 1);
    if (gamma)
        outer->addWidget(gamma, 1);
    else
        outer->addStretch(1);
}

QWidget *ScreenSetupPage::buildScreenSize()
{
    auto *group = new QGroupBox(QStringLiteral("Screen size"));
    auto *grid = new QGridLayout(group);
    auto *setup = button("Button13", "Screen size setup");
    auto *topUp = button("Button15", "Up");
    auto *topDown = button("Button14", "Down");
    auto *bottomUp = button("Button17", "Up");
    auto *bottomDown = button("Button16", "Down");
    auto *save = button("Button18", "Save size");
    grid->addWidget(setup, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Top line")), 1, 0);
    grid->addWidget(topUp, 1, 1);
    grid->addWidget(topDown, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Bottom line")), 2, 0);
    grid->addWidget(bottomUp, 2, 1);
    grid->addWidget(bottomDown, 2, 2);
    grid->addWidget(save, 3, 0, 1, 3);
    grid->setColumnStretch(3, 1);

    connect(setup, &QPushButton::clicked, this, &ScreenSetupPage::Button13Click);
    connect(topDown, &QPushButton::clicked, this, &ScreenSetupPage::Button14Click);
    connect(topUp, &QPushButton::clicked, this, &ScreenSetupPage::Button15Click);
    connect(bottomDown, &QPushButton::clicked, this, &ScreenSetupPage::Button16Click);
    connect(bottomUp, &QPushButton::clicked, this, &ScreenSetupPage::Button17Click);
    connect(save, &QPushButton::clicked, this, &ScreenSetupPage::Button18Click);
    return group;
}

QWidget *ScreenSetupPage::buildDebug()
{
    auto *group = new QGroupBox(QStringLiteral("Debug"));
    auto *grid = new QGridLayout(group);

    auto *brightness = button("Button1", "Brightness");
    brightness_ = designate(new SpinEdit, "SpinEdit2", QStringLiteral("Brightness"));
    brightness_->setRange(0, 100);
    brightness_->setSingleStep(10);
    brightness_->setValue(0);
    auto *sleepIn = button("Button19", "Sleep In");
    auto *sleepOut = button("Button20", "Sleep Out");
    auto *doors = button("Button21", "Doors");
    doors_ = designate(new SpinEdit, "SpinEdit1", QStringLiteral("Doors"));
    doors_->setRange(0, 32);
    doors_->setValue(0);
    kl15_ = designate(new QCheckBox(QStringLiteral("kl 15")), "CheckBox1", QStringLiteral("kl 15"));
    // Nothing reads "s86"; it keeps its tick and sends nothing.
    auto *s86 = designate(new QCheckBox(QStringLiteral("s86")), "CheckBox2", QStringLiteral("s86"));
    auto *turboOn = button("Button29", "TurboTimer switch ON");
    auto *turboOff = button("Button30", "TurboTimer switch OFF");

    grid->addWidget(brightness, 0, 0);
    grid->addWidget(brightness_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("%")), 0, 2);
    grid->addWidget(sleepIn, 1, 0);
    grid->addWidget(sleepOut, 2, 0);
    grid->addWidget(doors, 3, 0);
    grid->addWidget(doors_, 3, 1);
    auto *checks = new QHBoxLayout;
    checks->addWidget(kl15_);
    checks->addWidget(s86);
    checks->addStretch(1);
    grid->addLayout(checks, 4, 0, 1, 3);
    grid->addWidget(turboOn, 5, 0, 1, 2);
    grid->addWidget(turboOff, 6, 0, 1, 2);
    grid->setColumnStretch(3, 1);

    connect(brightness, &QPushButton::clicked, this, &ScreenSetupPage::Button1Click);
    connect(sleepIn, &QPushButton::clicked, this, &ScreenSetupPage::Button19Click);
    connect(sleepOut, &QPushButton::clicked, this, &ScreenSetupPage::Button20Click);
    connect(doors, &QPushButton::clicked, this, &ScreenSetupPage::Button21Click);
    // Every change of the tick counts, the program's own included.
    connect(kl15_, &QCheckBox::toggled, this, &ScreenSetupPage::CheckBox1Click);
    connect(turboOn, &QPushButton::clicked, this, &ScreenSetupPage::Button29Click);
    connect(turboOff, &QPushButton::clicked, this, &ScreenSetupPage::Button30Click);
    return group;
}

void ScreenSetupPage::Button13Click() { requestCommand(rq_, code::ScreenSizeSetup); }
void ScreenSetupPage::Button14Click() { requestCommand(rq_, code::TopLineDown); }
void ScreenSetupPage::Button15Click() { requestCommand(rq_, code::TopLineUp); }
void ScreenSetupPage::Button16Click() { requestCommand(rq_, code::BottomLineDown); }
void ScreenSetupPage::Button17Click() { requestCommand(rq_, code::BottomLineUp); }
void ScreenSetupPage::Button18Click() { requestCommand(rq_, code::SaveSize); }
void ScreenSetupPage::Button1Click() { requestCommandWithArg(rq_, code::Brightness, argumentOf(brightness_)); }
void ScreenSetupPage::Button19Click() { requestCommand(rq_, code::SleepIn); }
void ScreenSetupPage::Button20Click() { requestCommand(rq_, code::SleepOut); }
void ScreenSetupPage::Button21Click() { requestCommandWithArg(rq_, code::Doors, argumentOf(doors_)); }
void ScreenSetupPage::CheckBox1Click() { requestCommand(rq_, kl15_->isChecked() ? code::Kl15On : code::Kl15Off); }
void ScreenSetupPage::Button29Click() { requestCommand(rq_, code::TurboTimerOn); }
void ScreenSetupPage::Button30Click() { requestCommand(rq_, code::TurboTimerOff); }

QWidget *createScreenSetupPage(PageContext &ctx, QWidget *gamma)
{
    registerServiceSteps(ctx.driver);
    return new ScreenSetupPage(ctx.requests, gamma);
}

} // namespace mfd
