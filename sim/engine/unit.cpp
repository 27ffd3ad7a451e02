#include "engine/unit.h"

#include <algorithm>
#include <cstdio>

namespace mfd::sim {

namespace {

// Command codes the unit answers or keeps a record for.
namespace code {
constexpr std::uint8_t WipeSystemSector = 16;
constexpr std::uint8_t SaveExtra = 21;
constexpr std::uint8_t SaveConfig = 22;
constexpr std::uint8_t ReadExtra = 23;
constexpr std::uint8_t ReadConfig = 24;
constexpr std::uint8_t SetGamma = 30;
constexpr std::uint8_t DiskSizes = 32;
constexpr std::uint8_t SaveGears = 35;
constexpr std::uint8_t ReadGears = 36;
constexpr std::uint8_t ResetAllBc = 40;
constexpr std::uint8_t ResetService = 55;
} // namespace code

// Leading reply bytes are the unit's own choice; these echo what they answer, which reads well
// in a hex trace.
constexpr std::uint8_t CommandLead = 0xA6;

std::uint8_t sum8(const std::uint8_t *p, std::size_t n)
{
    std::uint8_t s = 0;
    for (std::size_t i = 0; i < n; ++i)
        s = std::uint8_t(s + p[i]);
    return s;
}

void putLe32(std::uint8_t *p, std::int32_t v)
{
    const auto u = std::uint32_t(v);
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(u >> (8 * i));
}

std::string hexBytes(const std::uint8_t *p, std::size_t n)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(n * 3);
    for (std::size_t i = 0; i < n; ++i) {
        if (i)
            s += ' ';
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

// Paths are shown in the dump as printable text; other bytes as \xNN.
std::string printable(std::string_view s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x21 && c < 0x7F && c != '\\') {
            out += char(c);
        } else {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            out += b;
        }
    }
    return out;
}

const char *stateName(SdFile::State s)
{
    switch (s) {
    case SdFile::State::Writing: return "writing";
    case SdFile::State::Written: return "written";
    case SdFile::State::Abandoned: return "abandoned";
    case SdFile::State::Rejected: return "rejected";
    case SdFile::State::Failed: return "failed";
    }
    return "?";
}

} // namespace

std::optional<std::string> sdRelativePath(std::string_view sent)
{
    std::string out;
    std::string part;
    bool any = false;
    auto flush = [&]() -> bool {
        if (part.empty() || part == ".") {
            part.clear();
            return true;
        }
        if (part.find_first_not_of('.') == std::string::npos)
            return false; // "..", and "..." which some systems read as ".." too
        if (!out.empty())
            out += '/';
        out += part;
        part.clear();
        any = true;
        return true;
    };
    for (unsigned char c : sent) {
        if (c < 0x20 || c == 0x7F || c == ':')
            return std::nullopt;
        if (c == '/' || c == '\\') {
            if (!flush())
                return std::nullopt;
        } else {
            part += char(c);
        }
    }
    if (!flush() || !any)
        return std::nullopt;
    return out;
}

Unit::Unit(std::unique_ptr<Storage> storage)
    : storage_(storage ? std::move(storage) : std::make_unique<MemoryStorage>())
    , config_(defaultConfig())
    , extra_(defaultExtra())
    , gears_(defaultGears())
{
}

std::array<std::uint8_t, ConfigSize> Unit::defaultConfig()
{
    // Number 712, version 77, display 13 (ILI9486) on CAN mode 0, Golf 4 (immo2), English.
    std::array<std::uint8_t, ConfigSize> r{};
    putLe32(&r[0], 712);
    r[4] = 77;
    r[5] = 13 * 10 + 0;
    r[6] = 1;
    r[7] = 1;
    putLe32(&r[8], 712 - 400);
    putLe32(&r[12], 1);
    r[16] = 1;
    r[17] = 1;
    r[18] = 0;
    r[19] = 0x5A;
    r[20] = 1;
    r[21] = 0;
    r[22] = 2;
    r[23] = 110;
    r[24] = 112;
    r[25] = 23;
    return r;
}

std::array<std::uint8_t, ExtraSize> Unit::defaultExtra()
{
    // Brake pads warning, 90 km/h, coffee break on at 240 min / 240 km, bytes 5 and 6 the
    // unit's own, Red (Audi) theme.
    return {0x01, 90, 0x02, 24, 24, 0x33, 0x44, 0x40};
}

std::array<std::uint8_t, GearCount> Unit::defaultGears()
{
    return {90, 60, 40, 33, 28, 24};
}

void Unit::setDiskSizes(const std::array<std::uint8_t, DiskCount> &mb, std::uint8_t sd16)
{
    disks_ = mb;
    sd16_ = sd16;
}

std::vector<std::uint8_t> Unit::feed(const std::uint8_t *data, std::size_t n)
{
    std::vector<Reply> replies;
    feed(data, n, replies);
    std::vector<std::uint8_t> out;
    for (const Reply &r : replies)
        out.insert(out.end(), r.bytes.begin(), r.bytes.end());
    return out;
}

void Unit::feed(const std::uint8_t *data, std::size_t n, std::vector<Reply> &out)
{
    if (n)
        buf_.insert(buf_.end(), data, data + n);
    for (;;) {
        const std::size_t avail = buf_.size() - pos_;
        if (avail == 0)
            break;
        const std::uint8_t l = buf_[pos_];
        std::size_t total = 0;
        switch (l) {
        case lead::ImageBlock:
            total = 2 + ImageBlockSize;
            break;
        case lead::Handshake:
        case lead::ImageStart:
        case lead::Command:
        case lead::SdStart:
        case lead::SdData:
        case lead::SdEnd:
            if (avail < 2)
                break;
            total = 2 + std::size_t(buf_[pos_ + 1]);
            break;
        default:
            ++skipped_;
            ++pos_;
            continue;
        }
        if (total == 0 || avail < total)
            break;
        handleFrame(buf_.data() + pos_, total, out);
        pos_ += total;
    }
    if (pos_ == buf_.size()) {
        buf_.clear();
        pos_ = 0;
    } else if (pos_ >= 4096) {
        buf_.erase(buf_.begin(), buf_.begin() + std::ptrdiff_t(pos_));
        pos_ = 0;
    }
}

void Unit::handleFrame(const std::uint8_t *f, std::size_t len, std::vector<Reply> &out)
{
    ++frameCount_;
    if (keepFrames_ || onFrame) {
        std::vector<std::uint8_t> frame(f, f + len);
        if (onFrame)
            onFrame(frame);
        if (keepFrames_)
            frames_.push_back(std::move(frame));
    }
    const std::uint8_t *body = f + 2;
    const std::size_t n = len - 2;
    switch (f[0]) {
    case lead::Handshake:
        if (n == 4)
            handshake_ = std::array<std::uint8_t, 4>{body[0], body[1], body[2], body[3]};
        else
            ++malformed_;
        send(out, {lead::Handshake, 0x00});
        break;
    case lead::Command:
        handleCommand(f, len, out);
        break;
    case lead::SdStart:
        handleSdStart(body, n, out);
        break;
    case lead::SdData:
        handleSdData(body, n, out);
        break;
    case lead::SdEnd:
        handleSdEnd(n, out);
        break;
    case lead::ImageStart:
        handleImageStart(body, n, out);
        break;
    case lead::ImageBlock:
        handleImageBlock(f, out);
        break;
    }
}

void Unit::handleCommand(const std::uint8_t *f, std::size_t len, std::vector<Reply> &out)
{
    if (len < 3) { // length byte 0: no code at all
        ++malformed_;
        return;
    }
    const std::uint8_t c = f[2];
    const std::uint8_t *p = f + 3;
    const std::size_t n = len - 3;
    auto answer = [&](const std::uint8_t *data, std::size_t size) {
        std::vector<std::uint8_t> r{CommandLead, c};
        r.insert(r.end(), data, data + size);
        send(out, std::move(r));
    };
    switch (c) {
    case code::DiskSizes:
        send(out, {code::DiskSizes, disks_[0], disks_[1], disks_[2], disks_[3], sd16_});
        break;
    case code::WipeSystemSector:
    case code::ReadConfig:
    case code::ResetAllBc:
    case code::ResetService:
        answer(config_.data(), config_.size());
        break;
    case code::ReadExtra:
        answer(extra_.data(), extra_.size());
        break;
    case code::ReadGears:
        answer(gears_.data(), gears_.size());
        break;
    case code::SaveConfig:
        if (n == ConfigSize)
            std::copy(p, p + n, config_.begin());
        else
            ++malformed_;
        break;
    case code::SaveExtra:
        if (n == ExtraSize)
            std::copy(p, p + n, extra_.begin());
        else
            ++malformed_;
        break;
    case code::SaveGears:
        // Each gear goes out as value, 0x00; the unit keeps the values.
        if (n == 2 * GearCount) {
            for (std::size_t g = 0; g < GearCount; ++g)
                gears_[g] = p[2 * g];
        } else {
            ++malformed_;
        }
        break;
    case code::SetGamma:
        if (n == 12 || n == 30 || n == 34)
            gamma_[n] = std::vector<std::uint8_t>(p, p + n);
        else
            ++malformed_;
        break;
    default:
        commands_.push_back(CommandEntry{c, std::vector<std::uint8_t>(p, p + n)});
        break;
    }
}

void Unit::handleSdStart(const std::uint8_t *body, std::size_t n, std::vector<Reply> &out)
{
    if (openSd_) {
        sdFiles_[*openSd_].state = SdFile::State::Abandoned;
        storage_->close(sdFiles_[*openSd_].storedPath);
        openSd_.reset();
    }
    SdFile file;
    file.sentPath.assign(reinterpret_cast<const char *>(body), n);
    const std::optional<std::string> rel = sdRelativePath(file.sentPath);
    std::uint8_t st = status::Ok;
    if (!rel) {
        file.state = SdFile::State::Rejected;
        st = status::Refused;
    } else {
        file.storedPath = *rel;
        if (storage_->create(*rel)) {
            openSd_ = sdFiles_.size();
        } else {
            file.state = SdFile::State::Failed;
            st = status::StoreFailed;
        }
    }
    sdFiles_.push_back(std::move(file));
    send(out, {lead::SdStart, st});
}

void Unit::handleSdData(const std::uint8_t *body, std::size_t n, std::vector<Reply> &out)
{
    bool kept = false;
    if (openSd_) {
        SdFile &file = sdFiles_[*openSd_];
        if (storage_->append(file.storedPath, body, n)) {
            file.size += n;
            ++file.blocks;
            file.hash.update(body, n);
            kept = true;
        } else {
            file.state = SdFile::State::Failed;
            storage_->close(file.storedPath);
            openSd_.reset();
        }
    }
    send(out, {lead::SdData, ackSum(sum8(body, n), kept)});
}

void Unit::handleSdEnd(std::size_t n, std::vector<Reply> &out)
{
    if (n != 0)
        ++malformed_;
    if (!openSd_) {
        send(out, {lead::SdEnd, status::NoFile});
        return;
    }
    SdFile &file = sdFiles_[*openSd_];
    file.state = SdFile::State::Written;
    storage_->close(file.storedPath);
    openSd_.reset();
    send(out, {lead::SdEnd, status::Ok});
}

void Unit::handleImageStart(const std::uint8_t *body, std::size_t n, std::vector<Reply> &out)
{
    openImage_.reset();
    if (n != 1) {
        ++malformed_;
        send(out, {lead::ImageStart, status::Refused});
        return;
    }
    const std::uint8_t disk = body[0];
    if (disk >= DiskCount) {
        send(out, {lead::ImageStart, status::Refused});
        return;
    }
    images_[disk] = DiskImage{};
    images_[disk].started = true;
    // The image is kept in memory whatever the storage does with it.
    storage_->create("disk" + std::to_string(disk) + ".img");
    openImage_ = disk;
    send(out, {lead::ImageStart, status::Ok});
}

void Unit::handleImageBlock(const std::uint8_t *f, std::vector<Reply> &out)
{
    if (f[1] != 0)
        ++malformed_;
    const std::uint8_t *data = f + 2;
    const bool kept = openImage_.has_value();
    if (kept) {
        DiskImage &img = images_[*openImage_];
        img.data.insert(img.data.end(), data, data + ImageBlockSize);
        img.hash.update(data, ImageBlockSize);
        ++img.blocks;
        storage_->append("disk" + std::to_string(*openImage_) + ".img", data, ImageBlockSize);
    }
    send(out, {lead::ImageBlock, ackSum(sum8(data, ImageBlockSize), kept)});
}

// Data the unit could not keep (no file or image open, a refused path, a storage failure) is
// acknowledged with a wrong checksum, so the shell reports the file as an error.
std::uint8_t Unit::ackSum(std::uint8_t sum, bool kept)
{
    ++dataAcks_;
    const bool wrong = !kept || faults_.corruptAcks.count(dataAcks_) != 0;
    return wrong ? std::uint8_t(sum ^ 0xFF) : sum;
}

void Unit::send(std::vector<Reply> &out, std::vector<std::uint8_t> bytes)
{
    if (faults_.silent || (faults_.silentAfterFrames && frameCount_ > faults_.silentAfterFrames)
        || faults_.dropReplies.count(frameCount_) != 0)
        return;
    Reply r;
    auto flood = [&] {
        std::uint32_t x = faults_.floodSeed;
        for (std::size_t i = 0; i < faults_.floodBytes; ++i) {
            x = x * 1664525u + 1013904223u;
            r.bytes.push_back(std::uint8_t(x >> 24));
        }
    };
    if (faults_.floodBefore == frameCount_)
        flood();
    r.bytes.insert(r.bytes.end(), faults_.noiseBytes, faults_.noiseValue);
    r.bytes.insert(r.bytes.end(), bytes.begin(), bytes.end());
    r.bytes.insert(r.bytes.end(), faults_.extraBytes, faults_.extraValue);
    if (faults_.floodAfter == frameCount_)
        flood();
    r.splitAt = faults_.splitAt;
    r.splitDelayMs = faults_.splitDelayMs;
    r.delayMs = faults_.delayMs;
    r.byteGapMs = faults_.byteGapMs;
    out.push_back(std::move(r));
}

std::string Unit::dumpState() const
{
    std::string s;
    auto line = [&s](const std::string &l) {
        s += l;
        s += '\n';
    };
    line("frames " + std::to_string(frameCount_));
    line("skipped " + std::to_string(skipped_));
    line("malformed " + std::to_string(malformed_));
    line("pending " + std::to_string(buf_.size() - pos_));
    line("handshake " + (handshake_ ? hexBytes(handshake_->data(), 4) : std::string("none")));
    line("disks " + std::to_string(disks_[0]) + " " + std::to_string(disks_[1]) + " " + std::to_string(disks_[2]) + " "
         + std::to_string(disks_[3]) + " sd " + std::to_string(sd16_));
    line("config " + hexBytes(config_.data(), config_.size()));
    line("extra " + hexBytes(extra_.data(), extra_.size()));
    line("gears " + hexBytes(gears_.data(), gears_.size()));
    for (std::size_t len : {std::size_t(12), std::size_t(30), std::size_t(34)}) {
        auto it = gamma_.find(len);
        line("gamma" + std::to_string(len) + " "
             + (it == gamma_.end() ? std::string("none") : hexBytes(it->second.data(), it->second.size())));
    }
    line("commands " + std::to_string(commands_.size()));
    for (const CommandEntry &c : commands_) {
        std::string l = "command " + std::to_string(c.code);
        for (std::uint8_t b : c.payload)
            l += " " + std::to_string(b);
        line(l);
    }
    line("sdfiles " + std::to_string(sdFiles_.size()));
    for (const SdFile &f : sdFiles_)
        line("sdfile " + printable(f.sentPath) + " stored " + (f.storedPath.empty() ? "-" : printable(f.storedPath))
             + " state " + stateName(f.state) + " size " + std::to_string(f.size) + " blocks "
             + std::to_string(f.blocks) + " sha256 " + f.hash.hex());
    for (std::size_t d = 0; d < DiskCount; ++d) {
        const DiskImage &img = images_[d];
        if (img.started)
            line("image " + std::to_string(d) + " size " + std::to_string(img.data.size()) + " blocks "
                 + std::to_string(img.blocks) + " sha256 " + img.hash.hex());
    }
    line("acks " + std::to_string(dataAcks_));
    return s;
}

} // namespace mfd::sim
