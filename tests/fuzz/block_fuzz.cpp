// Reads arbitrary text as the record of an update block, as a restore does:
// it names only values the block could have written, keys within the
// policy's path, and it reads back as itself once written again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/BlockRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tw::BlockRecord record = tw::ParseBlockRecord(std::string(reinterpret_cast<const char*>(data), size));
    bool sound = record.made <= tw::kBlockKeyDepth && (record.switchSet || !record.previous);
    for (const auto& [name, id] : record.values) sound = sound && tw::IsBlockValueName(name) && !id.empty();
    if (!sound || tw::ParseBlockRecord(tw::BlockRecordText(record)) != record) std::abort();
    return 0;
}
