#pragma once
#include <string>

#include "app/pcm_source.h"

namespace quillwave::app {

// The two files of one finished conversion.
struct ResultFiles {
    std::string inputPath;  // the WAVE, as the job read it
    std::string outputPath; // the parameter file it wrote
};

// Everything the result window shows and plays, loaded once.
struct ResultData {
    std::string message; // empty when loaded; else what went wrong, for the user
    int sampleRate = 0;
    PcmSamples original; // the input mixed to mono, as the conversion hears it
    double seconds() const { return sampleRate > 0 && original ? double(original->size()) / sampleRate : 0.0; }
};

// Reads and prepares both files; may take a while, so it runs off the UI thread.
ResultData loadResult(const ResultFiles& files);

} // namespace quillwave::app
