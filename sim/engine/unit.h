#pragma once
// The simulated display unit: the unit's side of the serial protocol, as a pure engine. Bytes go in as they arrive, in any split;
// reply bytes come out. No I/O of its own: received files go to a Storage.

#include "engine/sha256.h"
#include "engine/storage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace mfd::sim {

namespace lead {
constexpr std::uint8_t Handshake = 0xA1;
constexpr std::uint8_t ImageStart = 0xA3;
constexpr std::uint8_t ImageBlock = 0xA4;
constexpr std::uint8_t Command = 0xA6;
constexpr std::uint8_t SdStart = 0xAA;
constexpr std::uint8_t SdData = 0xAB;
constexpr std::uint8_t SdEnd = 0xAC;
} // namespace lead

constexpr std::size_t ConfigSize = 26;
constexpr std::size_t ExtraSize = 8;
constexpr std::size_t GearCount = 6;
constexpr std::size_t ImageBlockSize = 1024;
constexpr std::size_t DiskCount = 4;

// Status byte after 0xAA / 0xAC / 0xA3: 0 is fine, anything else is the unit refusing.
namespace status {
constexpr std::uint8_t Ok = 0x00;
constexpr std::uint8_t Refused = 0x01;    // path rejected, disk number out of range, malformed frame
constexpr std::uint8_t StoreFailed = 0x02; // the storage could not create the file
constexpr std::uint8_t NoFile = 0x03;      // 0xAC with no file open
} // namespace status

// Misbehaviour on demand, for tests of the shell's handling of a faulty unit.
struct Faults {
    // 1-based ordinals of acknowledged data frames (SD 0xAB and image 0xA4 counted together)
    // whose checksum byte is sent wrong.
    std::set<std::uint64_t> corruptAcks;
    // Noise bytes put before every reply; 0x55 is no lead byte the shell waits for.
    std::size_t noiseBytes = 0;
    std::uint8_t noiseValue = 0x55;
    // Answer nothing at all (frames are still taken in and stored).
    bool silent = false;
    // After this many complete frames the unit falls silent for good, as if it vanished. 0: never.
    std::uint64_t silentAfterFrames = 0;
    // Timing, carried on each Reply for the program to act on: the engine itself has no clock.
    std::size_t splitAt = 0;        // send the first splitAt bytes, pause, then the rest (0: whole)
    unsigned splitDelayMs = 0;
    unsigned delayMs = 0;           // pause before the reply
    unsigned byteGapMs = 0;         // send each reply byte alone, this long apart (0: whole)
    // Bytes after every reply, as a unit that answers more than asked would send.
    std::size_t extraBytes = 0;
    std::uint8_t extraValue = 0xEE;
    // 1-based ordinals of complete frames (the handshake is 1) that get no reply at all.
    std::set<std::uint64_t> dropReplies;
    // floodBytes random bytes right before the reply to frame floodBefore, or right after the
    // reply to frame floodAfter (0: neither): the line gone mad while a reply is awaited, or idle.
    std::size_t floodBytes = 0;
    std::uint64_t floodBefore = 0;
    std::uint64_t floodAfter = 0;
    std::uint32_t floodSeed = 1;
};

struct Reply {
    std::vector<std::uint8_t> bytes;
    std::size_t splitAt = 0; // 0 or >= size: send whole
    unsigned splitDelayMs = 0;
    unsigned delayMs = 0;
    unsigned byteGapMs = 0;
};

// A command frame with no record behind it (one-shot commands), as received.
struct CommandEntry {
    std::uint8_t code = 0;
    std::vector<std::uint8_t> payload; // 0 or 1 byte for every code the shell sends
    std::optional<std::uint8_t> arg() const
    {
        return payload.size() == 1 ? std::optional<std::uint8_t>(payload[0]) : std::nullopt;
    }
};

struct SdFile {
    enum class State { Writing, Written, Abandoned, Rejected, Failed };
    std::string sentPath;   // bytes of the path as the shell sent them
    std::string storedPath; // relative path in the storage; empty when rejected
    std::uint64_t size = 0;
    std::uint32_t blocks = 0;
    Sha256 hash;
    State state = State::Writing;
};

struct DiskImage {
    std::vector<std::uint8_t> data;
    std::uint32_t blocks = 0;
    Sha256 hash;
    bool started = false;
};

// The unit-side path for an SD path the shell sent, or nothing when it must be refused.
// Slashes and backslashes both separate folders; a leading separator means the card's root;
// empty and "." parts are dropped. Refused: "..", any part made only of dots, a colon anywhere
// (drive letters, alternate streams), control bytes, and a path with no name left.
std::optional<std::string> sdRelativePath(std::string_view sent);

class Unit {
public:
    // Files go to the given storage; by default to one in memory.
    explicit Unit(std::unique_ptr<Storage> storage = nullptr);

    // Takes bytes as they arrive and returns the reply bytes (faults applied, timing dropped).
    std::vector<std::uint8_t> feed(const std::uint8_t *data, std::size_t n);
    std::vector<std::uint8_t> feed(const std::vector<std::uint8_t> &bytes) { return feed(bytes.data(), bytes.size()); }
    // The same, one Reply per answered frame, with the timing faults the program acts on.
    void feed(const std::uint8_t *data, std::size_t n, std::vector<Reply> &out);

    // Settings.
    void setDiskSizes(const std::array<std::uint8_t, DiskCount> &mb, std::uint8_t sd16);
    Faults &faults() { return faults_; }
    // Every complete frame is kept in frames() unless turned off (long benchmark runs).
    void setKeepFrameLog(bool keep) { keepFrames_ = keep; }
    // Called with every complete frame as it is taken in.
    std::function<void(const std::vector<std::uint8_t> &)> onFrame;

    // What it holds.
    const std::array<std::uint8_t, DiskCount> &diskSizes() const { return disks_; }
    std::uint8_t sdSize16() const { return sd16_; }
    const std::array<std::uint8_t, ConfigSize> &config() const { return config_; }
    const std::array<std::uint8_t, ExtraSize> &extra() const { return extra_; }
    const std::array<std::uint8_t, GearCount> &gears() const { return gears_; }
    const std::map<std::size_t, std::vector<std::uint8_t>> &gamma() const { return gamma_; }
    const std::vector<CommandEntry> &commands() const { return commands_; }
    const std::vector<SdFile> &sdFiles() const { return sdFiles_; }
    const std::array<DiskImage, DiskCount> &images() const { return images_; }
    const std::vector<std::vector<std::uint8_t>> &frames() const { return frames_; }
    const std::optional<std::array<std::uint8_t, 4>> &handshakeCode() const { return handshake_; }
    std::uint64_t frameCount() const { return frameCount_; }
    std::uint64_t skippedBytes() const { return skipped_; }      // bytes that started no frame
    std::uint64_t malformedFrames() const { return malformed_; } // frames of a known kind with a wrong size
    std::uint64_t dataAcks() const { return dataAcks_; }
    std::size_t pendingBytes() const { return buf_.size() - pos_; } // of a frame not yet complete
    Storage &storage() { return *storage_; }

    // Plain-text dump of everything above, one "key values" line per item: frames, skipped,
    // malformed, pending, handshake, disks, config / extra / gears (hex), gamma12 / gamma30 /
    // gamma34 (hex or "none"), commands N then "command CODE [ARG]" lines, sdfiles N then
    // "sdfile SENT stored REL state S size N blocks N sha256 H" lines, "image D size N blocks N
    // sha256 H" per started disk, acks.
    std::string dumpState() const;

    static std::array<std::uint8_t, ConfigSize> defaultConfig();
    static std::array<std::uint8_t, ExtraSize> defaultExtra();
    static std::array<std::uint8_t, GearCount> defaultGears();

private:
    void handleFrame(const std::uint8_t *f, std::size_t len, std::vector<Reply> &out);
    void handleCommand(const std::uint8_t *f, std::size_t len, std::vector<Reply> &out);
    void handleSdStart(const std::uint8_t *body, std::size_t n, std::vector<Reply> &out);
    void handleSdData(const std::uint8_t *body, std::size_t n, std::vector<Reply> &out);
    void handleSdEnd(std::size_t n, std::vector<Reply> &out);
    void handleImageStart(const std::uint8_t *body, std::size_t n, std::vector<Reply> &out);
    void handleImageBlock(const std::uint8_t *f, std::vector<Reply> &out);
    void send(std::vector<Reply> &out, std::vector<std::uint8_t> bytes);
    std::uint8_t ackSum(std::uint8_t sum, bool kept);

    std::unique_ptr<Storage> storage_;
    Faults faults_;
    bool keepFrames_ = true;

    std::vector<std::uint8_t> buf_;
    std::size_t pos_ = 0;

    std::array<std::uint8_t, DiskCount> disks_{8, 16, 4, 0};
    std::uint8_t sd16_ = 2;
    std::array<std::uint8_t, ConfigSize> config_;
    std::array<std::uint8_t, ExtraSize> extra_;
    std::array<std::uint8_t, GearCount> gears_;
    std::map<std::size_t, std::vector<std::uint8_t>> gamma_;
    std::vector<CommandEntry> commands_;
    std::vector<SdFile> sdFiles_;
    std::optional<std::size_t> openSd_; // index into sdFiles_
    std::array<DiskImage, DiskCount> images_;
    std::optional<std::size_t> openImage_;
    std::vector<std::vector<std::uint8_t>> frames_;
    std::optional<std::array<std::uint8_t, 4>> handshake_;
    std::uint64_t frameCount_ = 0;
    std::uint64_t skipped_ = 0;
    std::uint64_t malformed_ = 0;
    std::uint64_t dataAcks_ = 0;
};

} // namespace mfd::sim
