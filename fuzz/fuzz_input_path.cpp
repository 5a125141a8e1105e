// libFuzzer entry: arbitrary bytes as the content of the file a user names.
#include <cstdlib>

#include "fuzz/input_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (quillwave::fuzz::runInputPath(data, size) != 0)
        std::abort(); // a broken invariant counts as a crash, with the input saved
    return 0;
}
