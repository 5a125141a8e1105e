#pragma once

namespace quillwave {

// The one sine/cosine of the analysis. Every sine and cosine the engines compute goes
// through here (or through a vector form that returns the same bits), so a parameter file
// comes out byte for byte the same on every x86-64 CPU, whatever its vector width.
// Arguments are used as they are: the callers never reduce their running angles.
struct SinCos {
    double sin;
    double cos;
};

// Sine and cosine from one combined evaluation (SLEEF finz sincos, u10).
// The correlations and the oscillator table use this.
SinCos sinCos(double angle);

// The sine alone (SLEEF finz sin, u10). The synthesis of components uses this.
// Its bits differ now and then from sinCos(angle).sin, so a vector form must pair with
// the same SLEEF function as the scalar one it stands in for.
double sine(double angle);

} // namespace quillwave
