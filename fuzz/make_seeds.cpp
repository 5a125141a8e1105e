// Writes the seed corpus of the input-path fuzzer: valid files of every accepted kind and
// the malformed shapes a parser must survive. Usage: make_seeds OUTPUT_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void u16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void u32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void tag(Bytes& b, const char* t) { b.insert(b.end(), t, t + 4); }

void append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

struct Fmt {
    std::uint32_t tag = 1;
    std::uint32_t channels = 1;
    std::uint32_t rate = 44100;
    std::uint32_t bits = 16;
    std::uint32_t size = 16; // declared and written size of the chunk's data
};

Bytes fmtChunk(const Fmt& f)
{
    Bytes b;
    tag(b, "fmt ");
    u32(b, f.size);
    Bytes body;
    u16(body, f.tag);
    u16(body, f.channels);
    u32(body, f.rate);
    u32(body, f.rate * f.channels * f.bits / 8);
    u16(body, f.channels * f.bits / 8);
    u16(body, f.bits);
    body.resize(f.size, 0);
    append(b, body);
    return b;
}

// A short chord, so the samples are neither silent nor trivial.
Bytes samples(int frames, int channels)
{
    Bytes b;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const double v = 12000 * std::sin(0.031 * i * (c + 1)) + 6000 * std::sin(0.173 * i);
            u16(b, static_cast<std::uint32_t>(static_cast<std::int32_t>(v)) & 0xffff);
        }
    return b;
}

Bytes dataChunk(const Bytes& payload, std::int64_t declared = -1)
{
    Bytes b;
    tag(b, "data");
    u32(b, declared >= 0 ? static_cast<std::uint32_t>(declared) : static_cast<std::uint32_t>(payload.size()));
    append(b, payload);
    return b;
}

Bytes chunk(const char* t, std::uint32_t declared, std::size_t present)
{
    Bytes b;
    tag(b, t);
    u32(b, declared);
    b.resize(8 + present, 0x41);
    return b;
}

Bytes riff(const std::vector<Bytes>& chunks)
{
    Bytes body;
    for (const Bytes& c : chunks)
        append(body, c);
    Bytes b;
    tag(b, "RIFF");
    u32(b, static_cast<std::uint32_t>(4 + body.size()));
    tag(b, "WAVE");
    append(b, body);
    return b;
}

Bytes wave(const Fmt& f, int frames)
{
    return riff({fmtChunk(f), dataChunk(samples(frames, static_cast<int>(f.channels)))});
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    int written = 0;
    auto put = [&](const char* name, const Bytes& bytes) {
        const std::string path = folder + "/" + name;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
            std::perror(path.c_str());
            std::exit(1);
        }
        std::fclose(out);
        ++written;
    };

    const Fmt mono44{}, stereo44{1, 2, 44100, 16}, mono48{1, 1, 48000, 16}, stereo48{1, 2, 48000, 16};
    // Accepted files of every kind.
    put("valid-mono-44100", wave(mono44, 1500));
    put("valid-stereo-44100", wave(stereo44, 900));
    put("valid-mono-48000", wave(mono48, 1700));
    put("valid-stereo-48000", wave(stereo48, 820));
    put("valid-empty-data", wave(mono44, 0));
    put("valid-one-frame", wave(stereo48, 1));
    put("valid-fmt-18", riff({fmtChunk({1, 1, 44100, 16, 18}), dataChunk(samples(300, 1))}));
    put("valid-odd-data-mono", riff({fmtChunk(mono44), dataChunk(Bytes(601, 0x7f))}));
    put("valid-stereo-ragged", riff({fmtChunk(stereo48), dataChunk(Bytes(403, 0x80))}));
    put("valid-list-before-fmt", riff({chunk("LIST", 26, 26), fmtChunk(mono44), dataChunk(samples(200, 1))}));
    put("valid-trailing-chunks", riff({fmtChunk(stereo44), dataChunk(samples(100, 2)), chunk("LIST", 30, 30)}));
    {
        Bytes b = wave(mono48, 64);
        b[8] = 'X'; // "WAVE" elsewhere: right after the RIFF header is not required
        Bytes moved = b;
        moved.insert(moved.begin() + 12, {'W', 'A', 'V', 'E'});
        put("valid-wave-moved", moved);
    }

    // Refused by a later check.
    put("format-extensible", wave({0xFFFE, 2, 44100, 16, 40}, 50));
    put("format-three-channels", wave({1, 3, 48000, 16}, 50));
    put("format-24-bit", wave({1, 1, 44100, 24}, 50));
    put("format-8-bit-44100", wave({1, 1, 44100, 8}, 50));
    put("format-8-bit-22050", wave({1, 1, 22050, 8}, 50));
    put("format-rate-96000", wave({1, 2, 96000, 16}, 50));
    put("format-rate-zero", wave({1, 1, 0, 16}, 50));

    // Chunk sizes that lie, near 2^32 and elsewhere.
    put("lie-list-ffffffff", riff({chunk("LIST", 0xFFFFFFFFu, 20), fmtChunk(mono44), dataChunk(samples(40, 1))}));
    put("lie-list-fffffff8", riff({chunk("LIST", 0xFFFFFFF8u, 20), fmtChunk(mono44), dataChunk(samples(40, 1))}));
    {
        Bytes b = riff({fmtChunk(mono44), dataChunk(samples(40, 1))});
        b[16] = 0xF0, b[17] = 0xFF, b[18] = 0xFF, b[19] = 0xFF; // the fmt size
        put("lie-fmt-size-huge", b);
    }
    put("lie-data-ffffffff", riff({fmtChunk(mono44), dataChunk(samples(40, 1), 0xFFFFFFFFu)}));
    put("lie-data-7fffffff", riff({fmtChunk(stereo48), dataChunk(samples(40, 2), 0x7FFFFFFFu)}));
    put("lie-data-one-more", riff({fmtChunk(mono44), dataChunk(samples(40, 1), 81)}));
    put("truncated-data", [&] {
        Bytes b = wave(stereo44, 500);
        b.resize(b.size() - 333);
        return b;
    }());
    put("truncated-in-data-header", [&] {
        Bytes b = wave(mono44, 10);
        b.resize(44 - 2);
        return b;
    }());
    put("truncated-in-fmt", [&] {
        Bytes b = wave(mono44, 10);
        b.resize(30);
        return b;
    }());

    // Odd-size chunks: the pad byte is not skipped.
    put("odd-chunk-before-fmt", riff({chunk("junk", 7, 8), fmtChunk(mono44), dataChunk(samples(30, 1))}));
    put("odd-chunk-before-data", riff({fmtChunk(mono44), chunk("junk", 13, 14), dataChunk(samples(30, 1))}));
    put("odd-chunk-unpadded", riff({fmtChunk(mono44), chunk("junk", 13, 13), dataChunk(samples(30, 1))}));

    // fmt chunks too small to hold what is read from them.
    put("fmt-size-0", riff({fmtChunk({1, 1, 44100, 16, 0}), dataChunk(samples(30, 1))}));
    put("fmt-size-14", riff({fmtChunk({1, 1, 44100, 16, 14}), dataChunk(samples(30, 1))}));
    {
        // A size-0 fmt whose fields are then read from the data chunk that follows.
        Bytes b = riff({fmtChunk({1, 1, 44100, 16, 0}), dataChunk(Bytes(64, 0))});
        put("fmt-size-0-fields-in-data", b);
    }

    // "WAVE" in odd places.
    put("wave-at-0-only", [&] {
        Bytes b = wave(mono44, 20);
        std::copy_n("WAVE", 4, b.begin());
        std::copy_n("RIFX", 4, b.begin() + 8);
        return b;
    }());
    put("wave-missing", [&] {
        Bytes b = wave(mono44, 20);
        b[8] = 'w';
        return b;
    }());
    put("wave-late", [&] {
        Bytes b;
        tag(b, "RIFF");
        u32(b, 0);
        b.resize(1000, 0x20);
        tag(b, "WAVE");
        append(b, fmtChunk(mono44));
        append(b, dataChunk(samples(30, 1)));
        return b;
    }());
    put("wave-in-data", riff({chunk("abcd", 4, 4), fmtChunk(mono44), dataChunk({'W', 'A', 'V', 'E', 'f', 'm', 't', ' '})}));

    // Order and reach.
    put("fmt-after-data", riff({dataChunk(samples(30, 1)), fmtChunk(mono44)}));
    put("data-beyond-1024", riff({fmtChunk(mono44), chunk("pad ", 1000, 1000), dataChunk(samples(30, 1))}));
    put("fmt-at-scan-edge", [&] {
        Bytes b = riff({chunk("pad ", 996, 996)});
        append(b, fmtChunk(mono44)); // its header starts at 1016: fields reach past 1024
        append(b, dataChunk(samples(30, 1)));
        return b;
    }());
    put("data-header-at-1020", riff({fmtChunk(mono44), chunk("pad ", 976, 976), dataChunk(samples(30, 1))}));

    // Tiny files.
    put("empty", {});
    put("riff-only-15", [&] {
        Bytes b = wave(mono44, 0);
        b.resize(15);
        return b;
    }());
    put("riff-only-16", [&] {
        Bytes b = wave(mono44, 0);
        b.resize(16);
        return b;
    }());

    std::printf("%d seeds written to %s\n", written, folder.c_str());
    return 0;
}
