#include "preview/export.h"

#include "analysis/frame_geometry.h"

namespace quillwave::preview {
namespace {

void appendInt(std::string& out, std::int64_t v) { out += std::to_string(v); }

// Six decimals of frame / fps, rounded to nearest (no rate makes a tie).
void appendSeconds(std::string& out, std::int32_t frame, std::int32_t fps, bool trimZeros)
{
    const std::int64_t micro = (static_cast<std::int64_t>(frame) * 2000000 + fps) / (2 * static_cast<std::int64_t>(fps));
    appendInt(out, micro / 1000000);
    std::string fraction = std::to_string(micro % 1000000);
    fraction.insert(0, 6 - fraction.size(), '0');
    if (trimZeros) {
        while (fraction.size() > 1 && fraction.back() == '0')
            fraction.pop_back();
    }
    out += '.';
    out += fraction;
}

void appendTenths(std::string& out, std::int32_t e1)
{
    const std::int64_t v = e1;
    if (v < 0)
        out += '-';
    const std::int64_t a = v < 0 ? -v : v;
    appendInt(out, a / 10);
    out += '.';
    out += static_cast<char>('0' + a % 10);
}

std::string csv(const ParameterFile& file)
{
    std::string out = "frame,seconds";
    for (int v = 0; v < kVoiceCount; ++v)
        out += ",level" + std::to_string(v) + ",hz" + std::to_string(v);
    out += '\n';
    out.reserve(out.size() + static_cast<std::size_t>(file.frameCount()) * 96);
    for (std::int32_t f = 0; f < file.frameCount(); ++f) {
        appendInt(out, f);
        out += ',';
        appendSeconds(out, f, file.framesPerSecond, false);
        for (int v = 0; v < kVoiceCount; ++v) {
            out += ',';
            appendInt(out, file.level(f, v));
            out += ',';
            appendTenths(out, file.frequencyE1(f, v));
        }
        out += '\n';
    }
    return out;
}

// One frame a line, so that the file reads and diffs like the CSV.
std::string json(const ParameterFile& file)
{
    std::string out = "{\"framesPerSecond\": " + std::to_string(file.framesPerSecond) + ", \"frames\": [";
    out.reserve(out.size() + static_cast<std::size_t>(file.frameCount()) * 260);
    for (std::int32_t f = 0; f < file.frameCount(); ++f) {
        out += f == 0 ? "\n" : ",\n";
        out += "{\"frame\": ";
        appendInt(out, f);
        out += ", \"seconds\": ";
        appendSeconds(out, f, file.framesPerSecond, true);
        out += ", \"voices\": [";
        for (int v = 0; v < kVoiceCount; ++v) {
            out += v == 0 ? "{\"level\": " : ", {\"level\": ";
            appendInt(out, file.level(f, v));
            out += ", \"hz\": ";
            appendTenths(out, file.frequencyE1(f, v));
            out += '}';
        }
        out += "]}";
    }
    out += "\n]}\n";
    return out;
}

} // namespace

std::string frameSeconds(std::int32_t frame, std::int32_t framesPerSecond)
{
    std::string out;
    appendSeconds(out, frame, framesPerSecond, false);
    return out;
}

std::string tenthsAsHz(std::int32_t frequencyE1)
{
    std::string out;
    appendTenths(out, frequencyE1);
    return out;
}

std::string exportParameters(const ParameterFile& file, ExportFormat format)
{
    return format == ExportFormat::Csv ? csv(file) : json(file);
}

} // namespace quillwave::preview
