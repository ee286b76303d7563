#include "app/RunReport.h"

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "platform/common.h"

namespace tw {
namespace {

struct LineStart {
    const wchar_t* words;
    const wchar_t* outcome;
};
// A missing safeguard (app/RunSafeguards.h) counts as an item not deleted.
constexpr LineStart kLineStarts[] = {{L"Deleted ", L"deleted"},         {L"Would delete ", L"would delete"},
                                     {L"Not deleted ", L"not deleted"}, {L"Not created ", L"not deleted"},
                                     {L"Not blocked ", L"not deleted"}};

std::string utf8(const std::wstring& text) { return toUtf8(text); }

// Outcome -> count, in the order of kOutcomes.
nlohmann::ordered_json countsOf(const std::map<std::wstring, int>& counts) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    for (const wchar_t* outcome : kOutcomes)
        if (const auto found = counts.find(outcome); found != counts.end()) out[utf8(outcome)] = found->second;
    return out;
}

std::map<std::wstring, int> totalsOf(const std::vector<ReportFamily>& families) {
    std::map<std::wstring, int> totals;
    for (const ReportFamily& family : families)
        for (const ReportItem& item : family.items)
            if (!item.kind.empty()) ++totals[item.outcome];
    return totals;
}

}  // namespace

ReportItem ReportItemOf(const std::wstring& line, const ItemNote* note) {
    ReportItem item;
    item.line = line;
    const std::size_t open = line.find(L" (");
    if (open == std::wstring::npos || line.empty() || line.back() != L')') return item;
    for (const LineStart& start : kLineStarts) {
        const std::wstring words = start.words;
        if (line.compare(0, words.size(), words) != 0 || open < words.size()) continue;
        // The kind runs to the first " (": a path may hold one, a kind does not.
        item.kind = line.substr(words.size(), open - words.size());
        if (item.kind.empty()) return item;
        item.path = line.substr(open + 2, line.size() - open - 3);
        item.outcome = start.outcome;
        break;
    }
    if (item.kind.empty() || note == nullptr) return item;
    item.backup = note->backupCopy;
    if (item.outcome == L"not deleted" && note->queuedAtRestart) {
        item.outcome = L"deleted at restart";
    } else if (item.outcome == L"not deleted" && !note->refusal.empty()) {
        item.outcome = L"refused";
        item.reason = note->refusal;
    }
    return item;
}

std::vector<ReportFamily> ReportFamilies(const std::vector<PreviewGroup>& groups, const NoteLookup& notes) {
    std::vector<ReportFamily> families;
    for (const PreviewGroup& group : groups) {
        ReportFamily family{group.label, {}};
        for (const std::wstring& line : group.lines) {
            ReportItem item = ReportItemOf(line, nullptr);
            if (!item.kind.empty() && notes) item = ReportItemOf(line, notes(item.path));
            family.items.push_back(std::move(item));
        }
        families.push_back(std::move(family));
    }
    return families;
}

RunOutcome OutcomeOfItems(const std::vector<ReportFamily>& families) {
    const std::map<std::wstring, int> totals = totalsOf(families);
    if (totals.count(L"not deleted") != 0 || totals.count(L"refused") != 0) return RunOutcome::NotDeleted;
    if (totals.count(L"deleted at restart") != 0) return RunOutcome::RestartNeeded;
    return RunOutcome::Finished;
}

std::string IsoUtc(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto day = floor<days>(seconds);
    const year_month_day date{day};
    const hh_mm_ss clock{seconds - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

std::string RunReportJson(const RunReport& report) {
    using Json = nlohmann::ordered_json;
    Json json;
    json["program"] = "Tidewell";
    json["version"] = utf8(report.version);
    json["started"] = IsoUtc(report.started);
    json["ended"] = IsoUtc(report.ended);
    json["preview"] = report.preview;
    json["arguments"] = Json::array();
    for (const std::wstring& argument : report.arguments) json["arguments"].push_back(utf8(argument));
    json["settings"] = Json::object();
    for (const auto& [name, value] : report.settings) json["settings"][name] = value;
    json["families"] = Json::array();
    std::map<std::wstring, std::map<std::wstring, int>> counts;  // kind -> outcome -> count
    for (const ReportFamily& family : report.families) {
        Json items = Json::array();
        for (const ReportItem& item : family.items) {
            Json entry;
            if (!item.kind.empty()) {
                ++counts[item.kind][item.outcome];
                entry["kind"] = utf8(item.kind);
                entry["path"] = utf8(item.path);
                entry["outcome"] = utf8(item.outcome);
                if (!item.reason.empty()) entry["reason"] = utf8(item.reason);
                if (!item.backup.empty()) entry["backup"] = utf8(item.backup);
            }
            entry["line"] = utf8(item.line);
            items.push_back(std::move(entry));
        }
        json["families"].push_back(Json{{"family", utf8(family.label)}, {"items", std::move(items)}});
    }
    json["counts"] = Json::object();
    for (const auto& [kind, outcomes] : counts) json["counts"][utf8(kind)] = countsOf(outcomes);
    json["totals"] = countsOf(totalsOf(report.families));
    json["familyFilesNotLoaded"] = Json::array();
    for (const std::wstring& problem : report.familyFilesNotLoaded) json["familyFilesNotLoaded"].push_back(utf8(problem));
    json["error"] = utf8(report.error);
    json["exitCode"] = report.exitCode;
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::wstring SummaryLine(const RunReport& report) {
    const std::map<std::wstring, int> totals = totalsOf(report.families);
    std::wstring line = L"Tidewell:";
    const wchar_t* separator = L" ";
    for (const wchar_t* outcome : kOutcomes) {
        const auto found = totals.find(outcome);
        line += separator + std::wstring(outcome) + L" " + std::to_wstring(found == totals.end() ? 0 : found->second);
        separator = L", ";
    }
    line += L", exit code " + std::to_wstring(report.exitCode);
    // The error's text, on the same line and short enough for the whole to
    // stay under 2,048 characters.
    if (!report.error.empty()) {
        std::wstring error = report.error.substr(0, 1500);
        for (wchar_t& c : error)
            if (c < L' ') c = L' ';
        line += L": " + error;
    }
    return line;
}

}  // namespace tw
