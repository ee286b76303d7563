#include "log/LogUnit.h"

#include "platform/common.h"
#include "platform/platform.h"

namespace tw {

namespace {

std::wstring fileError(const wchar_t* pattern, const std::wstring& path, plat::Error err) {
    // Both arguments are put in one pass so that a "%s" inside the path stays as it is.
    std::wstring text = pattern;
    std::wstring out;
    int argument = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L's' && argument < 2) {
            out += argument == 0 ? path : plat::errorText(err);
            ++argument;
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

void TRunLog::append(std::wstring line) {
    lines_.push_back(std::move(line));
    ++generation_;
}


void TRunLog::clear() {
    lines_.clear();
    ++generation_;
}

void TRunLog::replace(std::vector<std::wstring> lines) {
    lines_ = std::move(lines);
    ++generation_;
}

TRunLog& RunLog() {
    static TRunLog log;
    return log;
}

void SortLog() {
    std::vector<std::wstring> lines = RunLog().lines();
    SortLines(lines);
    RunLog().replace(std::move(lines));
}

std::wstring LogFolder() { return programFolder() + L"Logs\\"; }

namespace {

// Saves within one second share a stamp (the Backup dialog saves one log per
// restored item): a later one takes the next free " (n)" name, so no saved log
// replaces another.
std::wstring writeLogFile(const std::wstring& stem, const std::vector<std::wstring>& lines) {
    const std::wstring folder = LogFolder();
    std::wstring path = folder + stem + L".txt";
    for (int n = 2; plat::getFileAttributes(path) != plat::kInvalidAttributes; ++n)
        path = folder + stem + L" (" + std::to_wstring(n) + L").txt";
    forceDirectories(folder);
    plat::Error err = plat::writeFileBytes(path, LogFileBytes(lines));
    if (err != plat::kOk) throw AppError(fileError(L"Cannot create file \"%s\". %s", path, err));
    return path;
}

}  // namespace

std::wstring SaveLog() {
    if (RunLog().empty()) return {};
    return writeLogFile(fileTimeStamp(), RunLog().lines());
}

std::wstring SavePreviewLog(const std::vector<std::wstring>& lines) {
    return writeLogFile(L"Preview " + fileTimeStamp(), lines);
}

std::vector<std::wstring> ReadLogFile(const std::wstring& path) {
    std::vector<std::uint8_t> bytes;
    plat::Error err = plat::readFileBytes(path, bytes);
    if (err != plat::kOk) throw AppError(fileError(L"Cannot open file \"%s\". %s", path, err));
    return DecodeLogBytes(bytes);
}

void LoadLogFile(const std::wstring& path) {
    RunLog().replace(ReadLogFile(path));
    SortLog();
}

}  // namespace tw
