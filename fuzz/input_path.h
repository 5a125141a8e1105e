#pragma once
#include <cstddef>
#include <cstdint>

namespace quillwave::fuzz {

// Feeds one file's bytes through the whole input path: the parser, the signal blocks and
// their fill, the frame geometry of every option and, for files that pass, one frame unit
// of the reference analysis with its level. Returns 0 when every invariant held; otherwise
// it names the broken one on stderr and returns non-zero.
// The fuzzer and the corpus replay test both call this, so what one learns the other keeps.
int runInputPath(const std::uint8_t* data, std::size_t size);

} // namespace quillwave::fuzz
