#include "app/TWUnit.h"

#include <stdexcept>

#include "app/Bitness.h"
#include "platform/common.h"
#include "platform/platform.h"
#include "targets/FamilyTable.h"

namespace tw {

std::vector<std::wstring> AvailableTargetLabels() {
    std::vector<std::wstring> labels;
    for (const Family* family : FamiliesByLabel()) labels.push_back(family->label);
    return labels;
}

// ---- MemoryTargetList ----

MemoryTargetList::MemoryTargetList(std::vector<std::wstring> items)
    : items_(std::move(items)), selected_(items_.size(), false) {}

int MemoryTargetList::count() const { return static_cast<int>(items_.size()); }

std::wstring MemoryTargetList::text(int index) const { return items_.at(static_cast<size_t>(index)); }

bool MemoryTargetList::selected(int index) const { return selected_.at(static_cast<size_t>(index)); }

void MemoryTargetList::append(const std::wstring& text) {
    items_.push_back(text);
    selected_.push_back(false);
}

void MemoryTargetList::erase(int index) {
    if (index < 0 || index >= count()) throw std::out_of_range("MemoryTargetList::erase");
    items_.erase(items_.begin() + index);
    selected_.erase(selected_.begin() + index);
}

void MemoryTargetList::clear() {
    items_.clear();
    selected_.clear();
}

void MemoryTargetList::select(int index, bool on) {
    // A single-selection list: selecting one entry deselects the others.
    if (on)
        for (size_t i = 0; i < selected_.size(); ++i) selected_[i] = false;
    selected_.at(static_cast<size_t>(index)) = on;
}

// ---- list operations ----

bool AddToCleanList(TargetList& cleanList, const std::wstring& label) {
    for (int i = 0; i < cleanList.count(); ++i)
        if (plat::compareTextIgnoreCase(cleanList.text(i), label) == 0) return false;
    cleanList.append(label);
    return true;
}

void SelectSelected(const TargetList& available, TargetList& cleanList) {
    for (int i = 0; i < available.count(); ++i)
        if (available.selected(i)) AddToCleanList(cleanList, available.text(i));
}

void SelectAll(const TargetList& available, TargetList& cleanList) {
    cleanList.clear();
    for (int i = 0; i < available.count(); ++i) cleanList.append(available.text(i));
}

void RemoveSelected(TargetList& cleanList) {
    for (int i = cleanList.count() - 1; i >= 0; --i)
        if (cleanList.selected(i)) cleanList.erase(i);
}

void RemoveAll(TargetList& cleanList) { cleanList.clear(); }

bool RemoveButtonsEnabled(const TargetList& cleanList) { return cleanList.count() > 0; }

// ---- pictures ----

PictureRect FitInProportion(int pictureWidth, int pictureHeight, const PictureRect& box) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || box.width <= 0 || box.height <= 0)
        return PictureRect{box.x, box.y, 0, 0};
    // Widths and heights are compared as products in 64 bits: no overflow and
    // no rounding before the choice of the limiting side.
    const long long byWidth = static_cast<long long>(pictureHeight) * box.width;
    const long long byHeight = static_cast<long long>(pictureWidth) * box.height;
    int width = box.width, height = box.height;
    if (byWidth <= byHeight)  // the box's width limits
        height = static_cast<int>(byWidth / pictureWidth);
    else
        width = static_cast<int>(byHeight / pictureHeight);
    return PictureRect{box.x + (box.width - width) / 2, box.y + (box.height - height) / 2, width,
                       height};
}

// ---- command line ----

std::optional<std::wstring> SwitchLabel(const std::wstring& argument) {
    if (const Family* family = FindFamilyBySwitch(argument)) return family->label;
    return std::nullopt;
}

bool IsQuitSwitch(const std::wstring& argument) { return upperAscii(argument) == L"-QUIT"; }

bool IsPreviewSwitch(const std::wstring& argument) { return upperAscii(argument) == L"-PREVIEW"; }

std::optional<std::wstring> ReportSwitchPath(const std::wstring& argument) {
    const std::wstring name = L"-REPORT=";
    if (upperAscii(argument.substr(0, name.size())) != name) return std::nullopt;
    return argument.substr(name.size());
}

CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& arguments) {
    CommandLineRequest request;
    request.arguments = arguments;
    request.clean = !arguments.empty();
    for (const std::wstring& argument : arguments) {
        if (auto label = SwitchLabel(argument))
            request.labels.push_back(*label);
        else if (IsQuitSwitch(argument))
            request.quit = true;
        else if (IsPreviewSwitch(argument))
            request.preview = true;
        else if (upperAscii(argument) == L"-DRIVERS")
            request.drivers = true;
        else if (auto path = ReportSwitchPath(argument))
            request.reportPath = *path;
        else if (upperAscii(argument) == L"-RESTOREPOINT")
            request.safeguards.restorePoint = true;
        else if (upperAscii(argument) == L"-BLOCKUPDATE")
            request.safeguards.blockReinstall = true;
    }
    return request;
}

void ProgressPosition::setMaximum(int maximum) {
    maximum_ = maximum < 0 ? 0 : maximum;
    setPosition(position_);
}

void ProgressPosition::setPosition(int position) {
    position_ = position < 0 ? 0 : position > maximum_ ? maximum_ : position;
}

bool ProgressPosition::step(std::uint64_t nowMs) {
    if (position_ < maximum_) ++position_;
    pending_ = everShown_ && nowMs - shownAt_ < kShowEvery;
    return !pending_;
}

void ProgressPosition::shown(std::uint64_t nowMs) {
    pending_ = false;
    everShown_ = true;
    shownAt_ = nowMs;
}

bool CommandLineHasArguments(const std::wstring& commandLine) {
    return commandLine.find_first_not_of(L" \t", ArgumentsStart(commandLine)) != std::wstring::npos;
}

bool CommandLineProcessor::Process(const std::vector<std::wstring>& arguments, TargetList& cleanList,
                                   const Start& start, const Quit& quit) {
    if (processed_) return false;
    // Marked before acting: a run that raises, or a show that re-enters
    // through a nested message loop, must not act on the arguments again.
    processed_ = true;
    if (arguments.empty()) return true;
    const CommandLineRequest request = ParseCommandLine(arguments);
    for (const std::wstring& label : request.labels) AddToCleanList(cleanList, label);
    int exitCode = 0;
    if (request.clean && start) {
        try {
            exitCode = start(request);
        } catch (...) {
            // "-QUIT" still ends the program when the start failed: an
            // unattended start must not leave the window open.
            if (!request.quit) throw;
            exitCode = ExitCodeOf(RunOutcome::Error);
        }
    }
    if (request.quit && quit) quit(exitCode);
    return true;
}

int ExitCodeOf(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::NotDeleted: return 1;
    case RunOutcome::Error: return 2;
    case RunOutcome::Cancelled: return 3;
    case RunOutcome::RestartNeeded: return 3010;
    case RunOutcome::Restarting: return 1641;
    case RunOutcome::NotStarted:
    case RunOutcome::Finished: return 0;
    }
    return 0;
}

}  // namespace tw
