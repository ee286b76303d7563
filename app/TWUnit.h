// The main window's decisions, kept apart from the window itself.
//
// The two target lists of the main window are reached through TargetList, a
// small view of a single-selection list box: the window implements it over its
// list boxes, tests over a vector. Everything the four move buttons, the
// double-clicks, Enter and the command line do to the lists is decided here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tw {

// The families' labels in the available list's order (the family table by label).
std::vector<std::wstring> AvailableTargetLabels();

// A list of texts with a selection, as a list box holds them.
class TargetList {
public:
    virtual ~TargetList() = default;
    virtual int count() const = 0;
    virtual std::wstring text(int index) const = 0;
    virtual bool selected(int index) const = 0;
    virtual void append(const std::wstring& text) = 0;
    virtual void erase(int index) = 0;
    virtual void clear() = 0;
};

// A TargetList held in memory.
class MemoryTargetList : public TargetList {
public:
    MemoryTargetList() = default;
    explicit MemoryTargetList(std::vector<std::wstring> items);

    int count() const override;
    std::wstring text(int index) const override;
    bool selected(int index) const override;
    void append(const std::wstring& text) override;
    void erase(int index) override;
    void clear() override;

    void select(int index, bool on = true);
    const std::vector<std::wstring>& items() const { return items_; }

private:
    std::vector<std::wstring> items_;
    std::vector<bool> selected_;
};

// Appends Label unless the list already holds it (letter case ignored).
// Returns true when it was appended.
bool AddToCleanList(TargetList& cleanList, const std::wstring& label);

// ">": every selected entry of the available list goes into the clean list.
void SelectSelected(const TargetList& available, TargetList& cleanList);
// ">>": the clean list becomes the available list, in its order.
void SelectAll(const TargetList& available, TargetList& cleanList);
// "<": every selected entry of the clean list is deleted, last to first.
void RemoveSelected(TargetList& cleanList);
// "<<": the clean list is emptied.
void RemoveAll(TargetList& cleanList);
// The state of "<" and "<<": enabled exactly when the clean list holds an entry.
bool RemoveButtonsEnabled(const TargetList& cleanList);

// ---- pictures ----

struct PictureRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PictureRect&) const = default;
};
// The largest rectangle of the picture's proportions that fits the box,
// centred in it (the banner is kept in proportion). Empty for an empty
// picture or box.
PictureRect FitInProportion(int pictureWidth, int pictureHeight, const PictureRect& box);

// ---- command line ----

// The label a command-line switch adds, or nothing. Only the letters a to z
// of the argument are made upper case before the exact comparison.
std::optional<std::wstring> SwitchLabel(const std::wstring& argument);
bool IsQuitSwitch(const std::wstring& argument);

bool IsPreviewSwitch(const std::wstring& argument);
// The file of "-REPORT=<file>" (the switch in any letter case), or nothing.
std::optional<std::wstring> ReportSwitchPath(const std::wstring& argument);

// The safeguards a run takes besides its families (app/RunSafeguards.h).
struct RunSafeguards {
    bool restorePoint = false;    // "-RESTOREPOINT": a restore point first
    bool blockReinstall = false;  // "-BLOCKUPDATE": removed devices' drivers kept from coming back
};

struct CommandLineRequest {
    std::vector<std::wstring> labels;  // in argument order, repeats kept
    std::vector<std::wstring> arguments;  // as given
    bool clean = false;                // at least one argument was given
    bool quit = false;                 // "-QUIT" was among them
    bool preview = false;              // "-PREVIEW": a preview instead of a run
    bool drivers = false;              // "-DRIVERS": the families' driver phase on for this run
    std::optional<std::wstring> reportPath;  // "-REPORT=<file>" (the last one given)
    RunSafeguards safeguards;                // on for this run, whatever the settings say
};
CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& arguments);

// False only when the process's command line certainly holds no argument
// after the program name, split as CommandLineToArgvW splits it: the name
// runs to its closing quote, or unquoted to the first blank or tab, and only
// blanks and tabs follow. Anything else answers true and is left to the
// system's parser (which lives in shell32, a library a plain start need not
// load).
bool CommandLineHasArguments(const std::wstring& commandLine);

// Acts on the command line at most once in the life of the process, however
// often the main window is shown again: the first call fills the clean list,
// starts the run (or the preview) when there was any argument and then ends
// the program with the start's exit code when "-QUIT" was given; later calls
// do nothing. A start that raises ends a "-QUIT" program with exit code 2
// and is not passed on (an unattended program must not wait on an error
// box); without "-QUIT" it is passed on. The remove buttons are left as they
// are. Returns true when this call acted.
class CommandLineProcessor {
public:
    using Start = std::function<int(const CommandLineRequest&)>;
    using Quit = std::function<void(int exitCode)>;
    bool Process(const std::vector<std::wstring>& arguments, TargetList& cleanList, const Start& start,
                 const Quit& quit);
    bool processed() const { return processed_; }

private:
    bool processed_ = false;
};

// The position of the main window's progress bar, kept beside the bar so
// that a run's steps need not each repaint it. Steps stay within 0..maximum,
// as the bar keeps them (a run may take more steps than its targets reserve:
// the bar then stays full). A step is shown at once when the bar was last
// told at least kShowEvery milliseconds before; otherwise it waits, and the
// window shows it when the run is over (pending()).
class ProgressPosition {
public:
    static constexpr std::uint64_t kShowEvery = 50;
    void setMaximum(int maximum);
    void setPosition(int position);
    // One step further; true when the bar is to be told now.
    bool step(std::uint64_t nowMs);
    // The bar has been told the position at nowMs.
    void shown(std::uint64_t nowMs);
    int position() const { return position_; }
    bool pending() const { return pending_; }

private:
    int maximum_ = 100;
    int position_ = 0;
    bool pending_ = false;
    bool everShown_ = false;
    std::uint64_t shownAt_ = 0;
};

// ---- how a run ended ----

// How a cleaning run (or a preview) ended.
enum class RunOutcome {
    NotStarted,  // empty clean list, or a run already busy
    Finished,       // every item deleted (or, in a preview, only reported)
    NotDeleted,     // some item neither deleted nor queued for the restart
    Error,          // an error ended it
    Cancelled,      // Cancel in the confirmation
    RestartNeeded,  // the rest of the items wait for the restart, not started by Tidewell
    Restarting,     // nothing left undeleted and unqueued, and Tidewell started the restart
};
// The exit code of a run started from the command line with "-QUIT", in the
// values deployment tools know: 0 success (nothing found and any preview
// included), 1 some item not deleted, 2 an error, 3 cancelled at the
// confirmation, 3010 success once the computer restarts, 1641 success with
// the restart started.
int ExitCodeOf(RunOutcome outcome);

}  // namespace tw
