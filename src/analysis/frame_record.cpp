#include "analysis/frame_record.h"

#include <algorithm>

namespace quillwave {

void OutputRecords::clear()
{
    std::fill(records_.begin(), records_.end(), FrameRecord{});
}

} // namespace quillwave
