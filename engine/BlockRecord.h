// The record an update block (engine/DeviceInstallBlock.h) keeps in its
// backup item, so that a restore takes back exactly what it added. UTF-8
// lines of tab-separated fields:
//   made <TAB> n                 the block made the deepest n keys of the policy's path (0 to 6)
//   switch <TAB> -               it turned the list on where DenyDeviceIDs was absent,
//   switch <TAB> type <TAB> hex  ... or over a value of this type and data
//   value <TAB> name <TAB> id    it added this value (a name of 1 to 9 digits)
// Reading takes only what a block could have written and passes over any
// other line. Nothing here calls the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tw {

inline constexpr std::size_t kBlockKeyDepth = 6;  // SOFTWARE\Policies\...\Restrictions\DenyDeviceIDs

struct RegistryData {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const RegistryData&) const = default;
};

struct BlockRecord {
    std::size_t made = 0;
    bool switchSet = false;
    std::optional<RegistryData> previous;                       // none: DenyDeviceIDs was absent
    std::vector<std::pair<std::wstring, std::wstring>> values;  // name, hardware id
    bool operator==(const BlockRecord&) const = default;
};

// A name the block gives a value: 1 to 9 digits.
bool IsBlockValueName(const std::wstring& name);
std::string BlockRecordText(const BlockRecord& record);
BlockRecord ParseBlockRecord(const std::string& text);

}  // namespace tw
