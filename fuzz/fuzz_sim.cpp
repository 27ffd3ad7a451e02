// Feeds the simulated unit arbitrary bytes (lengths that lie, unknown codes, frames cut off),
// split at arbitrary points. It aborts when
//  - the unit answers differently depending on how the same bytes were split,
//  - a received file would be stored under a path that leaves the unit's folder,
//  - or an unfinished frame holds more bytes than the longest frame.
//
// Input: the first byte seeds the split points; the rest is the byte stream.

#include "engine/unit.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace mfd::sim;

namespace {

[[noreturn]] void fail(const char *what, const std::string &detail)
{
    std::fprintf(stderr, "fuzz_sim: %s: %s\n", what, detail.c_str());
    std::abort();
}

bool staysInside(const std::string &rel)
{
    if (rel.empty() || rel.front() == '/' || rel.back() == '/')
        return false;
    std::size_t start = 0;
    while (start <= rel.size()) {
        const std::size_t end = std::min(rel.find('/', start), rel.size());
        const std::string part = rel.substr(start, end - start);
        if (part.empty() || part.find_first_not_of('.') == std::string::npos || part.find('\\') != std::string::npos
            || part.find(':') != std::string::npos)
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::uint32_t seed = data[0] * 2654435761u + 1;
    ++data;
    --size;

    auto wholeStore = std::make_unique<MemoryStorage>();
    const MemoryStorage &store = *wholeStore;
    Unit whole(std::move(wholeStore));
    Unit split;
    const std::vector<std::uint8_t> once = whole.feed(data, size);

    std::vector<std::uint8_t> pieces;
    for (std::size_t pos = 0; pos < size;) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t n = std::min<std::size_t>(size - pos, (seed >> 16) % 300 + 1);
        const std::vector<std::uint8_t> r = split.feed(data + pos, n);
        pieces.insert(pieces.end(), r.begin(), r.end());
        if (split.pendingBytes() > 2 + ImageBlockSize)
            fail("unfinished frame too long", std::to_string(split.pendingBytes()));
        pos += n;
    }
    if (pieces != once)
        fail("reply depends on how the bytes were split", std::to_string(once.size()) + " vs " + std::to_string(pieces.size()));
    if (whole.dumpState() != split.dumpState())
        fail("state depends on how the bytes were split", whole.dumpState());

    for (const auto &[path, bytes] : store.files())
        if (!staysInside(path))
            fail("stored outside the unit's folder", path);
    for (const SdFile &f : whole.sdFiles())
        if (!f.storedPath.empty() && !staysInside(f.storedPath))
            fail("stored outside the unit's folder", f.storedPath);
    return 0;
}
