#include "analysis/trig.h"

#include <cmath> // before sleef.h: it declares the FMA forms only when FP_FAST_FMA is set
#include <sleef.h>

namespace quillwave {

// SLEEF's deterministic ("finz") functions give the same bits in their scalar and vector
// builds; the vector forms of the fast engine rely on that.
SinCos sinCos(double angle)
{
    const Sleef_double_2 r = Sleef_finz_sincosd1_u10purecfma(angle);
    return {r.x, r.y};
}

double sine(double angle) { return Sleef_finz_sind1_u10purecfma(angle); }

} // namespace quillwave
