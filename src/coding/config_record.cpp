#include "coding/config_record.h"
#include "session/arith.h"
#include "widgets/spin_edit.h"

namespace mfd::config {

const QStringList VersionEntries{"7", "75", "72", "76", "77"};

const QStringList CanModeEntries{
    "CAN 100kbit filter (1C0)",
    "CAN 100kbit not filter (1C0)",
    "CAN 62.5kbit filter (1J0)",
    "CAN disable",
};

const QStringList DisplayEntries{
    "10 - Display 3.2\" ILI9481",
    "11 - Display 3.2\" HX8357C",
    "12 - Display 3.2\" HX8357B",
    "13 - Display 3.2\" ILI9486",
    "14 - Display 3.2\" ILI9481 (SPI)",
};

const QStringList CarModelEntries{
    QStringLiteral("05 VW Polo 4 (immo3)"),
    QStringLiteral("23 VW Golf 4 (immo2)"),
    QStringLiteral("03 VW Golf 4 (immo2) with Dashboard (immo3)"),
    QStringLiteral("01 VW Golf 4 (immo3)"),
    QStringLiteral("50 VW Passat 3B (not CAN bus)"),
    QStringLiteral("22 VW Passat 3B2 (5) (immo2)"),
    QStringLiteral("04 VW Passat 3B2(5) (immo2) with Dashboard (immo3)"),
    QStringLiteral("02 VW Passat 3B3 (6)(immo3)"),
    QStringLiteral("72 VW T4 (not CAN bus)"),
    QStringLiteral("74 VW T4 (CAN bus)"),
    QStringLiteral("71 VW T5 (immo3)"),
    QStringLiteral("73 VW Sharan"),
    QStringLiteral("31 Skoda Oсtavia I(immo3)"), // the "с" is Cyrillic, as the unit's users know it
    QStringLiteral("32 Skoda Supeb I (immo3)"),
    QStringLiteral("41 Seat Leon 1M (immo3)"),
    QStringLiteral("42 Seat Toledo 1M (immo3)"),
    QStringLiteral("13 Audi TT 8N"),
    QStringLiteral("12 Audi A3 8L"),
    QStringLiteral("14 Audi A4 B5"),
    QStringLiteral("15 Audi A4 B6/B7"),
    QStringLiteral("11 Audi A6 C5 (immo3)"),
    QString(),
};

const std::array<int, 21> CarModelCodes{5, 23, 3, 1, 50, 22, 4, 2, 72, 74, 71, 73, 31, 32, 41, 42, 13, 12, 14, 15, 11};

const QStringList LanguageEntries{
    "RU (km, litr, C, bar, l/100km)",
    "ENG (km, litr, C, bar, l/100km)",
    "LAT (km, litr, C, bar, l/100km)",
    "USA(miles, gallons, F, bar, MPG)",
    "France (km, litr, C, bar, l/100km)",
    "PL (km, litr, C, bar, l/100km)",
    "GB (miles, British gallons, F, bar,British MPG)",
    "CH (km, litr, C, bar, l/100km)",
    "Slovak (km, litr, C, bar, l/100km)",
    "GER (km, litr, C, bar, l/100km)",
    "ESP (km, litr, C, bar, l/100km)",
    "BGR (km, litr, C, bar, l/100km)",
    "ROU (km, litr, C, bar, l/100km)",
    "PRT (km, litr, C, bar, l/100km)",
    "ITA (km, litr, C, bar, l/100km)",
    "HUN(km, litr, C, bar, l/100km)",
    "LAT_SP(km, litr, C, bar, l/100km)",
    "ENG (miles, litr, C, bar, l/100ml)",
    "CAN (km, litr, C, psi, l/100km)",
};

const QStringList ButtonEntries{
    " (23-25 pins of modul) GND on dash board",
    "(16-20 pins of modul) GND on MFD board ",
};

const QStringList BoostEntries{
    "no boost sensor",
    "boost sensor 3 bar",
    "boost sensor 4 bar",
    "boost sensor 2 bar",
    "boost from diagnostics bus",
};

const QStringList RemapEntries{"No remap", "Remap Down button om 8 input"};

QString notAnIntegerMessage(const QString &text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

namespace {

void putLe32(Record &r, std::size_t at, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < 4; ++i)
        r[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t getLe32(const Record &r, std::size_t at)
{
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i)
        u |= std::uint32_t(r[at + i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

// A list without a selection counts as the entry whose text it shows, so the unit gets what the
// user sees; a text that is no entry has no value to send.
std::optional<int> entryOf(const ListState &list, const QStringList &entries)
{
    if (list.selected >= 0 && list.selected < entries.size())
        return list.selected;
    const int at = entries.indexOf(list.text);
    if (at < 0)
        return std::nullopt;
    return at;
}

QString notAnEntryMessage(const QString &caption, const QString &text)
{
    return QStringLiteral("'%1' is not an entry of \"%2\"").arg(text, caption);
}

} // namespace

SaveResult encode(const PageValues &page, const Record &previous)
{
    // The checks run in the order the record is built, so the first fault met is the one shown.
    Record r = previous;
    putLe32(r, 0, page.number);

    const auto version = SpinEdit::parse(page.version);
    if (!version)
        return {std::nullopt, notAnIntegerMessage(page.version)};
    r[4] = std::uint8_t(*version);

    const QString displayCode = page.display.left(2);
    const auto display = SpinEdit::parse(displayCode);
    if (!display)
        return {std::nullopt, notAnIntegerMessage(displayCode)};
    const auto canMode = entryOf(page.canMode, CanModeEntries);
    if (!canMode)
        return {std::nullopt, notAnEntryMessage(QStringLiteral("3. 46-CCSM"), page.canMode.text)};
    r[5] = std::uint8_t(static_cast<long long>(*display) * 10 + *canMode);

    r[6] = 1;
    r[7] = 1;
    putLe32(r, 8, page.number - NumberOffset);
    putLe32(r, 12, 1);
    r[16] = 1;
    r[17] = 1;

    const auto buttons = entryOf(page.buttons, ButtonEntries);
    if (!buttons)
        return {std::nullopt, notAnEntryMessage(QStringLiteral("7. Buttons"), page.buttons.text)};
    r[18] = std::uint8_t(*buttons * 15);

    const auto language = entryOf(page.language, LanguageEntries);
    if (!language)
        return {std::nullopt, notAnEntryMessage(QStringLiteral("6. Language"), page.language.text)};
    r[22] = std::uint8_t(*language + 1);

    r[23] = std::uint8_t(page.battery[0]);
    r[24] = std::uint8_t(page.battery[1]);

    const QString modelCode = page.model.left(2);
    const auto model = SpinEdit::parse(modelCode);
    if (!model)
        return {std::nullopt, notAnIntegerMessage(modelCode)};
    r[25] = std::uint8_t(*model);

    const auto boost = entryOf(page.boost, BoostEntries);
    if (!boost)
        return {std::nullopt, notAnEntryMessage(QStringLiteral("8. Turbo Boost"), page.boost.text)};
    r[20] = std::uint8_t(*boost);
    const auto remap = entryOf(page.remap, RemapEntries);
    if (!remap)
        return {std::nullopt, notAnEntryMessage(QStringLiteral("10. Remap Buttons"), page.remap.text)};
    r[21] = std::uint8_t(*remap);

    return {r, QString()};
}

Shown decode(const Record &r)
{
    Shown s;
    s.number = getLe32(r, 0);
    s.version = QString::number(r[4]);
    const int displayCode = r[5] / 10;
    if (displayCode >= FirstDisplayCode && displayCode < FirstDisplayCode + DisplayEntries.size())
        s.display = displayCode - FirstDisplayCode;
    s.canMode = r[5] % 10;
    s.buttons = static_cast<int>(roundHalfEven(r[18] / 15.0));
    s.language = r[22] - 1;
    s.battery = {r[23], r[24]};
    s.remap = r[21];
    for (std::size_t i = 0; i < CarModelCodes.size(); ++i)
        if (CarModelCodes[i] == r[25]) {
            s.model = static_cast<int>(i);
            break;
        }
    s.boost = r[20];
    return s;
}

} // namespace mfd::config
