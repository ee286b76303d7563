#include "engine/BlockRecord.h"

#include "platform/common.h"

namespace tw {

namespace {

std::string hexOf(const std::vector<std::uint8_t>& data) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : data) out += {digits[b >> 4], digits[b & 15]};
    return out;
}

std::optional<std::vector<std::uint8_t>> bytesOf(const std::string& hex) {
    const auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
    if (hex.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = digit(hex[i]), lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return out;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts{""};
    for (char c : text)
        if (c == separator)
            parts.emplace_back();
        else
            parts.back().push_back(c);
    return parts;
}

bool digits(const std::string& text, std::size_t most) {
    return !text.empty() && text.size() <= most && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

bool IsBlockValueName(const std::wstring& name) {
    return !name.empty() && name.size() <= 9 && name.find_first_not_of(L"0123456789") == std::wstring::npos;
}

std::string BlockRecordText(const BlockRecord& r) {
    std::string text = "made\t" + std::to_string(r.made) + "\n";
    if (r.switchSet)
        text += r.previous ? "switch\t" + std::to_string(r.previous->type) + "\t" + hexOf(r.previous->data) + "\n"
                           : "switch\t-\n";
    for (const auto& [name, id] : r.values) text += "value\t" + toUtf8(name) + "\t" + toUtf8(id) + "\n";
    return text;
}

BlockRecord ParseBlockRecord(const std::string& text) {
    BlockRecord r;
    for (const std::string& line : split(text, '\n')) {
        const std::vector<std::string> f = split(line, '\t');
        if (f[0] == "made" && f.size() == 2 && digits(f[1], 1) && std::stoul(f[1]) <= kBlockKeyDepth) {
            r.made = std::stoul(f[1]);
        } else if (f[0] == "switch" && f.size() == 2 && f[1] == "-") {
            r.switchSet = true, r.previous.reset();
        } else if (f[0] == "switch" && f.size() == 3 && digits(f[1], 2)) {
            if (auto data = bytesOf(f[2]))
                r.switchSet = true, r.previous = RegistryData{static_cast<std::uint32_t>(std::stoul(f[1])), *data};
        } else if (f[0] == "value" && f.size() == 3 && IsBlockValueName(fromUtf8(f[1])) && !f[2].empty()) {
            r.values.emplace_back(fromUtf8(f[1]), fromUtf8(f[2]));
        }
    }
    return r;
}

}  // namespace tw
