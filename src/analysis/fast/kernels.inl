// The fast engine's kernels, written once over a lane type. Each kernels_<width>.cpp
// includes this inside its own namespace after defining `Lanes` and `WordLanes`, and is
// built with that width's instruction set, so the symbols of different widths never mix.
//
// Exactness: a sum is always carried in one lane from its first term to its last; lanes
// only ever hold independent sums or element-wise values. Multiply and add stay separate
// instructions (the build forbids contraction), except in the estimates, whose bounds allow
// for the rounding a fused multiply-add leaves out.
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
// Named variables rather than an array, and a function of its own, so that the running
// angles stay in registers (spilled around the trig calls, they went through memory on
// every step).
template <int K>
__attribute__((noinline)) void fillAngles(double* angle, const double* step, double (*block)[kBlock], std::int32_t n)
{
    static_assert(K >= 1 && K <= 4);
    double a0 = angle[0];
    double a1 = K > 1 ? angle[1] : 0.0;
    double a2 = K > 2 ? angle[2] : 0.0;
    double a3 = K > 3 ? angle[3] : 0.0;
    const double s0 = step[0];
    const double s1 = K > 1 ? step[1] : 0.0;
    const double s2 = K > 2 ? step[2] : 0.0;
    const double s3 = K > 3 ? step[3] : 0.0;
    for (std::int32_t i = 0; i < n; ++i) {
        block[0][i] = a0;
        a0 = a0 + s0;
        if constexpr (K > 1) {
            block[1][i] = a1;
            a1 = a1 + s1;
        }
        if constexpr (K > 2) {
            block[2][i] = a2;
            a2 = a2 + s2;
        }
        if constexpr (K > 3) {
            block[3][i] = a3;
            a3 = a3 + s3;
        }
    }
    angle[0] = a0;
    if constexpr (K > 1)
        angle[1] = a1;
    if constexpr (K > 2)
        angle[2] = a2;
    if constexpr (K > 3)
        angle[3] = a3;
}

template <int K>
void candidateRowsFixed(const double* steps, std::int32_t length, double* const* rows)
{
    double angle[K];
    double step[K];
    double block[K][kBlock];
    for (int k = 0; k < K; ++k) {
        angle[k] = 0.0;
        step[k] = steps[k];
    }
    for (std::int32_t first = 0; first < length; first += kBlock) {
        // Whole vectors: past `length` the extra angles only fill the row's padding.
        const std::int32_t rest = length - first;
        const std::int32_t n = rest < kBlock ? (rest + 7) / 8 * 8 : kBlock;
        fillAngles<K>(angle, step, block, n);
        for (int k = 0; k < K; ++k) {
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

void candidateRows(const double* steps, int count, std::int32_t length, double* const* rows)
{
    // Up to four chains at a time keep the adds busy; more only add registers.
    while (count > 0) {
        switch (count) {
        case 1: candidateRowsFixed<1>(steps, length, rows); return;
        case 2: candidateRowsFixed<2>(steps, length, rows); return;
        case 3: candidateRowsFixed<3>(steps, length, rows); return;
        default: candidateRowsFixed<4>(steps, length, rows); break;
        }
        steps += 4;
        rows += 4;
        count -= 4;
    }
}

// One 128-bit accumulator per row holds (re, im); every row is summed from the first sample
// to the last, as the single-candidate correlation does. With AVX two rows share a 256-bit
// register: still one (re, im) pair per row, never two samples in one sum.
template <int K>
void correlateFixed(const double* const* rows, const double* samples, std::int32_t length, double* re, double* im)
{
#ifdef __AVX__
    constexpr int kPairs = K / 2;
    __m256d pair[kPairs > 0 ? kPairs : 1];
    __m128d single = _mm_setzero_pd();
    for (int k = 0; k < kPairs; ++k)
        pair[k] = _mm256_setzero_pd();
    for (std::int32_t n = 0; n < length; ++n) {
        const __m256d x = _mm256_set1_pd(samples[n]);
        for (int k = 0; k < kPairs; ++k)
            pair[k] = _mm256_add_pd(pair[k], _mm256_mul_pd(_mm256_loadu2_m128d(rows[2 * k + 1] + 2 * n,
                                                                                 rows[2 * k] + 2 * n),
                                                           x));
        if constexpr (K % 2 == 1)
            single = _mm_add_pd(single, _mm_mul_pd(_mm_loadu_pd(rows[K - 1] + 2 * n), _mm256_castpd256_pd128(x)));
    }
    for (int k = 0; k < kPairs; ++k) {
        double values[4];
        _mm256_storeu_pd(values, pair[k]);
        re[2 * k] = values[0];
        im[2 * k] = values[1];
        re[2 * k + 1] = values[2];
        im[2 * k + 1] = values[3];
    }
    if constexpr (K % 2 == 1) {
        double values[2];
        _mm_storeu_pd(values, single);
        re[K - 1] = values[0];
        im[K - 1] = values[1];
    }
#else
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
#endif
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

// The same sums as levelSums, estimated for a fraction of the cost. Each sine comes from a
// rotation carried sample by sample from an exact sine and cosine of the running angle
// (taken afresh every kLevelReseed samples), corrected to first order for the rounding the
// running angle has collected since (tracked exactly). The running angles themselves are the
// exact sequence. levelEstimateBound says how far the result can be from levelSums'.
void levelEstimate(const double* amplitudes, const double* steps, const double* angles, int slotCount,
                   std::int32_t sampleCount, double* sums)
{
    double theta[kSlotsPerVoice * kLanes];
    double rotateCos[kSlotsPerVoice * kLanes];
    double rotateSin[kSlotsPerVoice * kLanes];
    double voice[kLevelReseed * kLanes];
    for (int s = 0; s < slotCount; ++s) {
        Lanes::store(theta + s * kLanes, Lanes::load(angles + s * kLanes));
        V ws;
        V wc;
        Lanes::sinCos(Lanes::load(steps + s * kLanes), ws, wc);
        Lanes::store(rotateCos + s * kLanes, wc);
        Lanes::store(rotateSin + s * kLanes, ws);
    }
    V sum = Lanes::broadcast(0.0);
    for (std::int32_t first = 0; first < sampleCount; first += kLevelReseed) {
        const std::int32_t n = sampleCount - first < kLevelReseed ? sampleCount - first : kLevelReseed;
        for (std::int32_t i = 0; i < n; ++i)
            Lanes::store(voice + i * kLanes, Lanes::broadcast(0.0));
        // Slot by slot, in order, onto each sample's sum: the order levelSums adds them in.
        for (int s = 0; s < slotCount; ++s) {
            const V amplitude = Lanes::load(amplitudes + s * kLanes);
            const V step = Lanes::load(steps + s * kLanes);
            const V wc = Lanes::load(rotateCos + s * kLanes);
            const V ws = Lanes::load(rotateSin + s * kLanes);
            V angle = Lanes::load(theta + s * kLanes);
            V sn;
            V cs;
            Lanes::sinCos(angle, sn, cs);
            V drift = Lanes::broadcast(0.0); // the running angle minus the rotation's angle
            for (std::int32_t i = 0; i < n; ++i) {
                const V sine = Lanes::add(sn, Lanes::mul(cs, drift));
                Lanes::store(voice + i * kLanes, Lanes::add(Lanes::mul(sine, amplitude), Lanes::load(voice + i * kLanes)));
                // angle + step = next + error exactly (two-sum); the rotation moves by step.
                const V next = Lanes::add(angle, step);
                const V stepPart = Lanes::sub(next, angle);
                const V error = Lanes::add(Lanes::sub(angle, Lanes::sub(next, stepPart)), Lanes::sub(step, stepPart));
                angle = next;
                drift = Lanes::sub(drift, error);
                const V c = Lanes::sub(Lanes::mul(cs, wc), Lanes::mul(sn, ws));
                sn = Lanes::add(Lanes::mul(sn, wc), Lanes::mul(cs, ws));
                cs = c;
            }
            Lanes::store(theta + s * kLanes, angle);
        }
        for (std::int32_t i = 0; i < n; ++i)
            sum = Lanes::add(sum, Lanes::abs(Lanes::load(voice + i * kLanes)));
    }
    Lanes::store(sums, sum);
}

// The estimate of one vector of candidates (see estimateCorrelations): every
// kCorrelationReseed samples an exact sine and cosine of the running angle and of the angle
// one step on (by a rotation); from there the three-term recurrence y(n+1) = 2 cos(step) y(n)
// - y(n-1) carries both, two multiplications a sample instead of a rotation's four.
template <typename L>
struct EstimateChain {
    using W = typename L::V;
    W step, wc, ws, twice, angle, sumCos, sumSin, cs, sn, nextCos, nextSin;

    void begin(const double* steps, int count)
    {
        double laneSteps[L::kCount] = {};
        for (int k = 0; k < count && k < L::kCount; ++k)
            laneSteps[k] = steps[k];
        step = L::load(laneSteps);
        L::sinCos(step, ws, wc);
        twice = L::add(wc, wc);
        angle = L::broadcast(0.0);
        sumCos = L::broadcast(0.0);
        sumSin = L::broadcast(0.0);
    }
    void restart()
    {
        L::sinCos(angle, sn, cs);
        nextCos = L::sub(L::mul(cs, wc), L::mul(sn, ws));
        nextSin = L::add(L::mul(sn, wc), L::mul(cs, ws));
    }
    void take(double sample)
    {
        const W x = L::broadcast(sample);
        sumCos = L::mulAdd(cs, x, sumCos);
        sumSin = L::mulAdd(sn, x, sumSin);
        angle = L::add(angle, step);
        const W c = L::sub(L::mul(twice, nextCos), cs);
        const W s = L::sub(L::mul(twice, nextSin), sn);
        cs = nextCos;
        sn = nextSin;
        nextCos = c;
        nextSin = s;
    }
    void end(int count, double* re, double* im) const
    {
        double laneRe[L::kCount];
        double laneIm[L::kCount];
        L::store(laneRe, sumCos);
        L::store(laneIm, sumSin);
        for (int k = 0; k < count && k < L::kCount; ++k) {
            re[k] = laneRe[k];
            im[k] = laneIm[k];
        }
    }
};

// K vectors side by side, so that their recurrences, each a chain, overlap: `count`
// candidates, the last vector's lanes past them idle.
template <int K>
void estimateSideBySide(const double* steps, int count, const double* samples, std::int32_t length, double* re,
                        double* im)
{
    EstimateChain<Lanes> vectors[K];
    for (int v = 0; v < K; ++v)
        vectors[v].begin(steps + v * kLanes, count - v * kLanes);
    for (std::int32_t start = 0; start < length; start += kCorrelationReseed) {
        const std::int32_t end = length - start < kCorrelationReseed ? length : start + kCorrelationReseed;
        for (int v = 0; v < K; ++v)
            vectors[v].restart();
        for (std::int32_t n = start; n < end; ++n)
            for (int v = 0; v < K; ++v)
                vectors[v].take(samples[n]);
    }
    for (int v = 0; v < K; ++v)
        vectors[v].end(count - v * kLanes, re + v * kLanes, im + v * kLanes);
}

// Estimates of the correlation sums correlateRows would give for the rows of `count` (at
// most nine) angle steps, without the rows: lanes take candidates. correlationEstimateBound
// says how far the sums can be off. (A ninth candidate on a lane of its own beside one full
// vector was tried: its lone recurrence, a chain of its own, made the whole slower.)
void estimateCorrelations(const double* steps, int count, const double* samples, std::int32_t length, double* re,
                          double* im)
{
    // Up to three vectors at a time: enough to overlap the chains, few enough for the registers.
    for (int first = 0; first < count; first += 3 * kLanes) {
        const int part = count - first < 3 * kLanes ? count - first : 3 * kLanes;
        switch ((part + kLanes - 1) / kLanes) {
        case 1: estimateSideBySide<1>(steps + first, part, samples, length, re + first, im + first); break;
        case 2: estimateSideBySide<2>(steps + first, part, samples, length, re + first, im + first); break;
        default: estimateSideBySide<3>(steps + first, part, samples, length, re + first, im + first); break;
        }
    }
}

extern const KernelSet kKernels = {
    kWidth, sinCosArray, sineArray, candidateRows, correlateRows, synthesize, levelSums, levelEstimate, kLanes, coarseSums, estimateCorrelations,
};
