// The run log: one wide line per deletion, failed deletion, restore and failed
// restore. It is process-wide and lives from start to end; the Log dialog's
// text view shows it and reads generation() to know when to refresh.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

class TRunLog {
public:
    void append(std::wstring line);
    void clear();
    void replace(std::vector<std::wstring> lines);
    const std::vector<std::wstring>& lines() const { return lines_; }
    std::size_t count() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    // Changes on every modification; a viewer compares it with the value it
    // last showed.
    std::uint64_t generation() const { return generation_; }

private:
    std::vector<std::wstring> lines_;
    std::uint64_t generation_ = 0;
};

// The process-wide run log.
TRunLog& RunLog();

// Sorts the run log ascending, ignoring letter case as the user's locale
// does; lines that compare equal keep their order.
void SortLog();
// The same order for any list of lines.
void SortLines(std::vector<std::wstring>& lines);

// Writes the run log to programFolder + "Logs\" + time stamp + ".txt" as
// UTF-16 LE with a byte order mark, lines joined by CR LF; when that name is
// taken, the first free of time stamp + " (2).txt", " (3).txt"... Does nothing for
// an empty log. Returns the path written (empty when nothing was written).
// Raises AppError "Cannot create file "%s". %s" when the file cannot be written.
std::wstring SaveLog();
// Writes a preview's lines to programFolder + "Logs\Preview " + time stamp +
// ".txt" in the same form, also when there are none: the file tells that the
// preview ran. The Log dialog lists it with the run logs. Raises as SaveLog.
std::wstring SavePreviewLog(const std::vector<std::wstring>& lines);
// The bytes of a log file: UTF-16 LE with a byte order mark, CR LF between lines.
std::vector<std::uint8_t> LogFileBytes(const std::vector<std::wstring>& lines);

// The lines of a log file, decoded by its byte order mark (UTF-16 LE, UTF-16
// BE, UTF-8; none: the ANSI code page). Raises AppError
// "Cannot open file "%s". %s" when the file cannot be read.
std::vector<std::wstring> ReadLogFile(const std::wstring& path);
// Replaces the run log with a log file's lines and sorts it (viewing a
// saved log). On failure the run log is left as it was.
void LoadLogFile(const std::wstring& path);
// Splits decoded log text into lines at CR LF, LF or CR.
std::vector<std::wstring> SplitLogText(const std::wstring& text);
std::vector<std::wstring> DecodeLogBytes(const std::vector<std::uint8_t>& bytes);

// programFolder + "Logs\".
std::wstring LogFolder();

}  // namespace tw
