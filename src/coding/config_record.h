#pragma once
// The unit's 26-byte vehicle configuration record and the "Config" page's settings, without
// widgets: the entries of each list, how "Save Config" builds the record from what the page
// shows, and how a reply is shown.

#include "session/protocol.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace mfd::config {

using Record = std::array<std::uint8_t, ConfigRecordSize>;

extern const QStringList VersionEntries;  // "1. Version"
extern const QStringList CanModeEntries;  // "3. 46-CCSM"
extern const QStringList DisplayEntries;  // "4. Type of Display", display codes 10 to 14
extern const QStringList CarModelEntries; // "5. Mark and Model", 21 models and one empty entry
extern const QStringList LanguageEntries; // "6. Language", record value = index + 1
extern const QStringList ButtonEntries;   // "7. Buttons", record value = index * 15
extern const QStringList BoostEntries;    // "8. Turbo Boost"
extern const QStringList RemapEntries;    // "10. Remap Buttons"
// The code of each model entry: the number its text starts with.
extern const std::array<int, 21> CarModelCodes;

constexpr int NumberMin = 700, NumberMax = 799900;
constexpr int BatteryMin = 100, BatteryMax = 130;
// Display code 10 is entry 0 of "4. Type of Display".
constexpr int FirstDisplayCode = 10;
// The record keeps "2. №" a second time, less this.
constexpr int NumberOffset = 400;

// An editable list as the save sees it: the selected entry, or -1, and the shown text.
struct ListState {
    int selected = -1;
    QString text;
};

// What "Save Config" reads from the page. Numbers are the spin edits' values, in range.
struct PageValues {
    int number = NumberMin;
    QString version;  // shown text
    QString display;  // shown text
    ListState canMode;
    ListState buttons;
    ListState language;
    std::array<int, 2> battery{BatteryMin, BatteryMin};
    QString model;    // shown text
    ListState boost;
    ListState remap;
};

// The record to send, or the message that stops the save. Byte 19 comes from the record last
// received (previous), the rest from the page.
struct SaveResult {
    std::optional<Record> record;
    QString error;
};
SaveResult encode(const PageValues &page, const Record &previous);

// What a received record shows. A list index of -1, or one past the list's entries, selects
// nothing; the number and the battery values are brought into range by their edits.
struct Shown {
    std::int32_t number = 0;
    QString version;
    int display = -1;
    int canMode = -1;
    int buttons = -1;
    int language = -1;
    std::array<int, 2> battery{};
    int model = -1;
    int boost = -1;
    int remap = -1;
};
Shown decode(const Record &record);

// "'%s' is not a valid integer value", for a text that must be a whole number.
QString notAnIntegerMessage(const QString &text);

} // namespace mfd::config
