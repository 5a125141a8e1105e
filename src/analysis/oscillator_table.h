#pragma once
#include <cstdint>
#include <vector>

namespace quillwave {

inline constexpr int kOscillatorSize = 65536;

// One turn of sine and cosine in Q15 (scale 32767), for the fixed-point coarse scan:
// entry i is the angle i/65536 of a turn, sine in bits 16..31, cosine in bits 0..15.
// Indexed by the upper 16 bits of a 32-bit phase, so the phase never needs reducing.
class OscillatorTable {
public:
    OscillatorTable() : entries_(kOscillatorSize) {}

    std::uint32_t operator[](std::uint32_t index) const { return entries_[index]; }
    std::uint32_t& operator[](std::uint32_t index) { return entries_[index]; }
    const std::uint32_t* data() const { return entries_.data(); }

private:
    std::vector<std::uint32_t> entries_;
};

inline std::int16_t tableSine(std::uint32_t entry) { return static_cast<std::int16_t>(entry >> 16); }
inline std::int16_t tableCosine(std::uint32_t entry) { return static_cast<std::int16_t>(entry & 0xFFFFu); }

// x times 32767, rounded to nearest with halves away from zero, alike for both signs.
std::int16_t toQ15(double x);

void buildOscillatorTable(OscillatorTable& table);

} // namespace quillwave
