#include "analysis/oscillator_table.h"

#include "analysis/fixed_point.h"
#include "analysis/trig.h"

namespace quillwave {

std::int16_t toQ15(double x)
{
    if (x >= 0)
        return static_cast<std::int16_t>(truncToInt32(x * 32767 + 0.5));
    return static_cast<std::int16_t>(-truncToInt32(-x * 32767 + 0.5));
}

void buildOscillatorTable(OscillatorTable& table)
{
    for (std::uint32_t i = 0; i < kOscillatorSize; ++i) {
        // Index times the turn, then divided: the same angle in every build.
        const double angle = static_cast<double>(i) * 6.2831853071796 / 65536;
        const SinCos sc = sinCos(angle);
        const auto sinBits = static_cast<std::uint16_t>(toQ15(sc.sin));
        const auto cosBits = static_cast<std::uint16_t>(toQ15(sc.cos));
        table[i] = (static_cast<std::uint32_t>(sinBits) << 16) | cosBits;
    }
}

} // namespace quillwave
