#pragma once
// Incremental SHA-256 (FIPS 180-4), so stored files can be fingerprinted block by block
// without keeping them whole or hashing them again after every frame.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace mfd::sim {

class Sha256 {
public:
    Sha256();
    void update(const std::uint8_t *data, std::size_t n);
    // Digest of everything so far; the object stays usable for further updates.
    std::array<std::uint8_t, 32> digest() const;
    std::string hex() const;

    static std::string hexOf(const std::uint8_t *data, std::size_t n);

private:
    void compress(const std::uint8_t *block);

    std::array<std::uint32_t, 8> h_;
    std::array<std::uint8_t, 64> buf_{};
    std::size_t bufLen_ = 0;
    std::uint64_t total_ = 0;
};

} // namespace mfd::sim
