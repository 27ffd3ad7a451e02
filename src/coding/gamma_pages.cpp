// The gamma pages inside "Screen Setup": one per display controller family, each sending its
// table in its own layout. The tables live only in the edits; the driver reads them as it sends.
#include "app/page_context.h"
#include "coding/coding_controls.h"
#include "coding/gamma_tables.h"
#include "session/protocol.h"
#include "session/states.h"
#include "widgets/designer.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <memory>
#include <vector>

namespace mfd {

namespace {

using coding::button;
// The edits of one table, in sending order: per byte one edit, or a high and a low nibble.
struct TableEdits {
    std::vector<std::pair<SpinEdit *, SpinEdit *>> bytes;

    std::vector<std::uint8_t> payload() const
    {
        std::vector<std::uint8_t> p;
        p.reserve(bytes.size());
        for (const auto &[high, low] : bytes)
            p.push_back(gamma::pack(coding::wireValue(*high),
                                    low ? std::optional<int>(coding::wireValue(*low)) : std::nullopt));
        return p;
    }
};

SpinEdit *gammaEdit(const gamma::Edit &e, const QString &caption)
{
    return coding::spinEdit(e.name, caption, 0, e.max, e.start);
}

QPushButton *wideButton(const char *designerName, const QString &caption)
{
    QPushButton *b = button(designerName, caption);
    QFont large = b->font();
    large.setPointSize(12);
    large.setBold(true);
    b->setFont(large);
    b->setMinimumHeight(34);
    return b;
}

struct Buttons {
    QPushButton *set;
    QPushButton *save;
    QPushButton *setDefault;
};

// "HX8375B   ILI9481": twelve rows, a left edit in every row and a right one in rows 1-4 and
// 7-10, each with the edit's start value as a fixed caption beside it.
QWidget *hx8375bPage(TableEdits &table, Buttons &b, QPushButton *&presetHx, QPushButton *&presetIli)
{
    auto *page = new QWidget;
    auto *group = new QGroupBox(QStringLiteral("Gamma "));
    group->setAccessibleName(group->title());
    auto *grid = new QGridLayout(group);
    const auto addEdit = [grid](SpinEdit *edit, int start, int row, int column) {
        grid->addWidget(edit, row, column);
        auto *caption = new QLabel(QString::number(start));
        QFont small = caption->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        caption->setFont(small);
        grid->addWidget(caption, row, column + 1);
    };
    for (int i = 0; i < int(gamma::Hx8375bTable.size()); ++i) {
        const gamma::Byte &byte = gamma::Hx8375bTable[i];
        const QString name = QStringLiteral("Gamma byte %1").arg(i + 1);
        SpinEdit *high = gammaEdit(byte.high, byte.low ? name + QStringLiteral(", high nibble") : name);
        SpinEdit *low = byte.low ? gammaEdit(*byte.low, name + QStringLiteral(", low nibble")) : nullptr;
        addEdit(high, byte.high.start, i, 0);
        if (low)
            addEdit(low, byte.low->start, i, 2);
        table.bytes.emplace_back(high, low);
    }

    b.set = button("Button25", QStringLiteral("Set GAMMA"));
    b.save = button("Button26", QStringLiteral("Save GAMMA"));
    b.setDefault = button("Button33", QStringLiteral("Set default GAMMA"));
    presetHx = button("Button34", QStringLiteral("def HX8375B"));
    presetIli = button("Button36", QStringLiteral("def ILI9481"));

    auto *left = new QVBoxLayout;
    left->addWidget(group);
    auto *below = new QHBoxLayout;
    below->addWidget(b.set);
    below->addWidget(b.save);
    left->addLayout(below);
    auto *right = new QVBoxLayout;
    right->addWidget(presetHx);
    right->addWidget(presetIli);
    right->addWidget(b.setDefault);
    right->addStretch(1);
    auto *outer = new QHBoxLayout(page);
    outer->addLayout(left);
    outer->addLayout(right);
    outer->addStretch(1);
    return page;
}

// "HX8357C" and "ILI9486": a VRP block and a VRN block of rows of two edits, "Set GAMMA" between
// them at their first row and "Save GAMMA" at their last, a wide "Set default GAMMA" on top.
QWidget *blockPage(const std::vector<gamma::Byte> &edits, int perBlock, TableEdits &table, Buttons &b,
                   const char *setName, const char *saveName, const char *defaultName)
{
    auto *page = new QWidget;
    b.setDefault = wideButton(defaultName, QStringLiteral("Set default GAMMA"));
    b.set = button(setName, QStringLiteral("Set GAMMA"));
    b.save = button(saveName, QStringLiteral("Save GAMMA"));

    auto *grid = new QGridLayout;
    const QString blockNames[2] = {QStringLiteral("VRP 0..15"), QStringLiteral("VRN 0..15")};
    const int rows = (perBlock + 1) / 2;
    for (int block = 0; block < 2; ++block) {
        const int column = block * 3;
        grid->addWidget(new QLabel(blockNames[block]), 0, column, 1, 2, Qt::AlignCenter);
        for (int k = 0; k < perBlock; ++k) {
            const int i = block * perBlock + k;
            SpinEdit *edit = gammaEdit(edits[i].high, QStringLiteral("%1, byte %2").arg(blockNames[block]).arg(i + 1));
            grid->addWidget(edit, 1 + k / 2, column + k % 2);
            table.bytes.emplace_back(edit, nullptr);
        }
    }
    grid->addWidget(b.set, 1, 2);
    grid->addWidget(b.save, rows, 2);

    auto *outer = new QVBoxLayout(page);
    outer->addWidget(b.setDefault);
    outer->addLayout(grid);
    const QString settingCaptions[2] = {QStringLiteral("SGN  SGP"), QStringLiteral("GMA_RELOAD")};
    auto *settings = new QHBoxLayout;
    for (int i = 2 * perBlock, k = 0; i < int(edits.size()); ++i, ++k) {
        SpinEdit *edit = gammaEdit(edits[i].high, settingCaptions[k]);
        auto *label = new QLabel(settingCaptions[k]);
        label->setBuddy(edit);
        settings->addWidget(label);
        settings->addWidget(edit);
        table.bytes.emplace_back(edit, nullptr);
    }
    settings->addStretch(1);
    outer->addLayout(settings);
    outer->addStretch(1);
    return page;
}

} // namespace

QWidget *createGammaPages(PageContext &ctx)
{
    Slots &rq = ctx.requests;
    SessionDriver &driver = ctx.driver;
    auto *pages = designate(new QTabWidget, "PageControl1", QStringLiteral("Gamma"));

    // Owned by the steps, which the driver keeps for the whole run.
    auto hx8375b = std::make_shared<TableEdits>();
    auto hx8357c = std::make_shared<TableEdits>();
    auto ili9486 = std::make_shared<TableEdits>();
    Buttons first{}, second{}, third{};
    QPushButton *presetHx = nullptr, *presetIli = nullptr;

    struct Sheet {
        const char *name;
        const char *caption;
        QWidget *page;
    };
    const Sheet sheets[] = {
        {"TabSheet6", "HX8375B   ILI9481", hx8375bPage(*hx8375b, first, presetHx, presetIli)},
        {"TabSheet7", "HX8357C",
         blockPage(gamma::Hx8357cTable, 16, *hx8357c, second, "Button32", "Button31", "Button35")},
        {"TabSheet5", "ILI9486", blockPage(gamma::Ili9486Table, 15, *ili9486, third, "Button40", "Button39", "Button41")},
    };
    for (const Sheet &s : sheets) {
        const QString caption = QString::fromLatin1(s.caption);
        pages->addTab(designate(s.page, s.name, caption), caption);
    }
    pages->setCurrentIndex(2);

    // Button25Click, Button32Click, Button40Click
    const auto requestTable = [&rq](int st) { return [&rq, st] { rq.request(st, code::SetGamma); }; };
    QObject::connect(first.set, &QPushButton::clicked, pages, requestTable(state::GammaHx8375b));
    QObject::connect(second.set, &QPushButton::clicked, pages, requestTable(state::GammaHx8357c));
    QObject::connect(third.set, &QPushButton::clicked, pages, requestTable(state::GammaIli9486));
    // Button26Click and Button33Click, shared by the three pages.
    for (const Buttons *b : {&first, &second, &third}) {
        QObject::connect(b->save, &QPushButton::clicked, pages,
                         [&rq] { rq.request(state::GammaCommand, code::SaveGamma); });
        QObject::connect(b->setDefault, &QPushButton::clicked, pages,
                         [&rq] { rq.request(state::GammaCommand, code::DefaultGamma); });
    }
    // Button34Click, Button36Click: fill the first page; nothing is sent.
    const auto applyPreset = [hx8375b](const gamma::Preset &preset) {
        return [hx8375b, &preset] {
            for (std::size_t i = 0; i < preset.size(); ++i) {
                const auto &[high, low] = hx8375b->bytes[i];
                high->setValue(preset[i][0]);
                if (low)
                    low->setValue(preset[i][1]);
            }
        };
    };
    QObject::connect(presetHx, &QPushButton::clicked, pages, applyPreset(gamma::PresetHx8375b));
    QObject::connect(presetIli, &QPushButton::clicked, pages, applyPreset(gamma::PresetIli9481));

    const auto sendTable = [&rq, &driver](std::shared_ptr<TableEdits> table) {
        return [&rq, &driver, table](Session &s) {
            s.RxMark = sendCommand(driver.link(), rq.ReqCode, table->payload());
            rq.SessionState = state::Idle;
        };
    };
    driver.registerStep(state::GammaHx8375b, sendTable(hx8375b));
    driver.registerStep(state::GammaHx8357c, sendTable(hx8357c));
    driver.registerStep(state::GammaIli9486, sendTable(ili9486));
    driver.registerStep(state::GammaCommand, [&rq, &driver](Session &s) {
        s.RxMark = sendCommand(driver.link(), rq.ReqCode);
        rq.SessionState = state::Idle;
    });
    return pages;
}

} // namespace mfd
