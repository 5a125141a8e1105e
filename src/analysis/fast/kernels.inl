// The fast engine's kernels, written once over a lane type. Each kernels_<width>.cpp
// includes this inside its own namespace after defining `Lanes` and `WordLanes`, and is
// built with that width's instruction set, so the symbols of different widths never mix.
//
// Exactness: a sum is always carried in one lane from its first term to its last; lanes
// only ever hold independent sums or element-wise values. Multiply and add stay separate
// instructions (the build forbids contraction).
//
// Nothing from a shared header is called here (an inline function compiled with these
// flags could be picked by the linker for baseline code).

using V = Lanes::V;
constexpr int kLanes = Lanes::kCount;
// Angles are generated into blocks this long, small enough to stay in the first-level cache.
constexpr std::int32_t kBlock = 256;
static_assert(kBlock % 8 == 0 && 8 % kLanes == 0);

void sinCosArray(const double* angles, std::int32_t count, double* sines, double* cosines)
{
    std::int32_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        V s;
        V c;
        Lanes::sinCos(Lanes::load(angles + i), s, c);
        Lanes::store(sines + i, s);
        Lanes::store(cosines + i, c);
    }
    if (i < count) {
        double a[kLanes] = {};
        double s[kLanes];
        double c[kLanes];
        for (std::int32_t k = i; k < count; ++k)
            a[k - i] = angles[k];
        V vs;
        V vc;
        Lanes::sinCos(Lanes::load(a), vs, vc);
        Lanes::store(s, vs);
        Lanes::store(c, vc);
        for (std::int32_t k = i; k < count; ++k) {
            sines[k] = s[k - i];
            cosines[k] = c[k - i];
        }
    }
}

void sineArray(const double* angles, std::int32_t count, double* sines)
{
    std::int32_t i = 0;
    for (; i + kLanes <= count; i += kLanes)
        Lanes::store(sines + i, Lanes::sine(Lanes::load(angles + i)));
    if (i < count) {
        double a[kLanes] = {};
        double s[kLanes];
        for (std::int32_t k = i; k < count; ++k)
            a[k - i] = angles[k];
        Lanes::store(s, Lanes::sine(Lanes::load(a)));
        for (std::int32_t k = i; k < count; ++k)
            sines[k] = s[k - i];
    }
}

// The angles of each row are one chain of additions; the rows' chains run side by side so
// that their latencies overlap, then the sine and cosine go along the row a vector at a time.
void candidateRows(const double* steps, int count, std::int32_t length, double* const* rows)
{
    double angle[9];
    double block[9][kBlock];
    for (int k = 0; k < count; ++k)
        angle[k] = 0.0;
    for (std::int32_t first = 0; first < length; first += kBlock) {
        // Whole vectors: past `length` the extra angles only fill the row's padding.
        const std::int32_t rest = length - first;
        const std::int32_t n = rest < kBlock ? (rest + 7) / 8 * 8 : kBlock;
        for (std::int32_t i = 0; i < n; ++i) {
            for (int k = 0; k < count; ++k) {
                block[k][i] = angle[k];
                angle[k] = angle[k] + steps[k];
            }
        }
        for (int k = 0; k < count; ++k) {
            double* out = rows[k] + 2 * first;
            for (std::int32_t i = 0; i < n; i += kLanes) {
                V s;
                V c;
                Lanes::sinCos(Lanes::load(&block[k][i]), s, c);
                Lanes::storeCosSinPairs(out + 2 * i, c, s);
            }
        }
    }
}

// One 128-bit accumulator per row holds (re, im); every row is summed from the first sample
// to the last, as the single-candidate correlation does.
template <int K>
void correlateFixed(const double* const* rows, const double* samples, std::int32_t length, double* re, double* im)
{
    __m128d sum[K];
    for (int k = 0; k < K; ++k)
        sum[k] = _mm_setzero_pd();
    for (std::int32_t n = 0; n < length; ++n) {
        const __m128d x = _mm_set1_pd(samples[n]);
        for (int k = 0; k < K; ++k)
            sum[k] = _mm_add_pd(sum[k], _mm_mul_pd(_mm_loadu_pd(rows[k] + 2 * n), x));
    }
    for (int k = 0; k < K; ++k) {
        double pair[2];
        _mm_storeu_pd(pair, sum[k]);
        re[k] = pair[0];
        im[k] = pair[1];
    }
}

void correlateRows(const double* const* rows, int count, const double* samples, std::int32_t length, double* re,
                   double* im)
{
    switch (count) {
    case 1: return correlateFixed<1>(rows, samples, length, re, im);
    case 2: return correlateFixed<2>(rows, samples, length, re, im);
    case 3: return correlateFixed<3>(rows, samples, length, re, im);
    case 4: return correlateFixed<4>(rows, samples, length, re, im);
    case 5: return correlateFixed<5>(rows, samples, length, re, im);
    case 6: return correlateFixed<6>(rows, samples, length, re, im);
    case 7: return correlateFixed<7>(rows, samples, length, re, im);
    case 8: return correlateFixed<8>(rows, samples, length, re, im);
    case 9: return correlateFixed<9>(rows, samples, length, re, im);
    default: return;
    }
}

void synthesize(std::int32_t* samples, std::int32_t length, double amplitude, double step, double angle, bool add)
{
    double block[kBlock];
    const V a = Lanes::broadcast(amplitude);
    for (std::int32_t first = 0; first < length; first += kBlock) {
        const std::int32_t rest = length - first;
        const std::int32_t n = rest < kBlock ? rest : kBlock;
        const std::int32_t whole = n / kLanes * kLanes;
        const std::int32_t padded = (n + kLanes - 1) / kLanes * kLanes;
        for (std::int32_t i = 0; i < padded; ++i) {
            block[i] = angle;
            angle = angle + step;
        }
        std::int32_t* out = samples + first;
        std::int32_t i = 0;
        for (; i < whole; i += kLanes) {
            const V value = Lanes::mul(Lanes::sine(Lanes::load(block + i)), a);
            if (add)
                Lanes::addInts(out + i, value);
            else
                Lanes::subtractInts(out + i, value);
        }
        if (i < n) {
            // The last part vector works on a copy, so nothing past the frame is touched.
            std::int32_t tail[kLanes] = {};
            for (std::int32_t k = i; k < n; ++k)
                tail[k - i] = out[k];
            const V value = Lanes::mul(Lanes::sine(Lanes::load(block + i)), a);
            if (add)
                Lanes::addInts(tail, value);
            else
                Lanes::subtractInts(tail, value);
            for (std::int32_t k = i; k < n; ++k)
                out[k] = tail[k - i];
        }
    }
}

void levelSums(const double* amplitudes, const double* steps, double* angles, int slotCount,
               std::int32_t sampleCount, double* sums)
{
    V sum = Lanes::broadcast(0.0);
    for (std::int32_t n = 0; n < sampleCount; ++n) {
        V voice = Lanes::broadcast(0.0);
        for (int s = 0; s < slotCount; ++s) {
            const V angle = Lanes::load(angles + s * kLanes);
            voice = Lanes::add(Lanes::mul(Lanes::sine(angle), Lanes::load(amplitudes + s * kLanes)), voice);
            Lanes::store(angles + s * kLanes, Lanes::add(angle, Lanes::load(steps + s * kLanes)));
        }
        sum = Lanes::add(sum, Lanes::abs(voice));
    }
    Lanes::store(sums, sum);
}

template <typename WordLanes>
void coarseSumsWith(const CoarseSumsInput& input, const std::int16_t* const* frames, int frameCount, std::int32_t* re,
                    std::int32_t* im)
{
    const std::int32_t length = input.paddedLength;
    for (std::int32_t c = 0; c < input.candidates; ++c) {
        const std::int16_t* cosines = input.cosines + static_cast<std::ptrdiff_t>(c) * length;
        const std::int16_t* sines = input.sines + static_cast<std::ptrdiff_t>(c) * length;
        if constexpr (WordLanes::kCount == 1) {
            for (int f = 0; f < frameCount; ++f) {
                std::int32_t r = 0;
                std::int32_t q = 0;
                for (std::int32_t i = 0; i < length; ++i) {
                    r += (frames[f][i] * cosines[i]) >> 16;
                    q += (frames[f][i] * sines[i]) >> 16;
                }
                re[f * input.candidates + c] = r;
                im[f * input.candidates + c] = q;
            }
        } else {
            using I = typename WordLanes::I;
            I r[kMaxCoarseFrames];
            I q[kMaxCoarseFrames];
            for (int f = 0; f < frameCount; ++f) {
                r[f] = WordLanes::zero();
                q[f] = WordLanes::zero();
            }
            for (std::int32_t i = 0; i < length; i += WordLanes::kCount) {
                const I cv = WordLanes::load(cosines + i);
                const I sv = WordLanes::load(sines + i);
                for (int f = 0; f < frameCount; ++f) {
                    const I x = WordLanes::load(frames[f] + i);
                    r[f] = WordLanes::add(r[f], WordLanes::widenPairs(WordLanes::mulHigh(x, cv)));
                    q[f] = WordLanes::add(q[f], WordLanes::widenPairs(WordLanes::mulHigh(x, sv)));
                }
            }
            for (int f = 0; f < frameCount; ++f) {
                re[f * input.candidates + c] = WordLanes::total(r[f]);
                im[f * input.candidates + c] = WordLanes::total(q[f]);
            }
        }
    }
}

void coarseSums(const CoarseSumsInput& input, const std::int16_t* const* frames, int frameCount, std::int32_t* re,
                std::int32_t* im)
{
    coarseSumsWith<WordLanes>(input, frames, frameCount, re, im);
}

extern const KernelSet kKernels = {
    kWidth, sinCosArray, sineArray, candidateRows, correlateRows, synthesize, levelSums, kLanes, coarseSums,
};
