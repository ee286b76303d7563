// The application object: what the program holds from its start to its end
// apart from its windows. main.cpp makes one; the main window is a view of it
// whose handlers call it. It loads the settings at the start and stores them
// at the end, keeps the texts of the run's questions, starts the runs (one at
// a time: a question's nested message loop could start a second one) and
// acts on the command line once. The settings and the run log themselves
// stay process-wide (settings/VarUnit.h, log/LogUnit.h).
#pragma once

#include <string>
#include <vector>

#include "app/Preview.h"
#include "app/RunHost.h"
#include "app/TWUnit.h"

namespace tw {

// What the application needs of its main window besides a run's host. Its
// familiesAfterQuestion answers the clean list as it stands.
class MainView : public RunHost {
public:
    // The clean list, top to bottom.
    virtual TargetList& cleanList() = 0;
    // Shows what a preview found; its Clean starts the normal run.
    virtual void showPreview(const std::vector<PreviewGroup>& groups) = 0;
    // Ends the program as Close does.
    virtual void close() = 0;

    std::vector<std::wstring> familiesAfterQuestion(const RunRequest& request) override;
};

// The labels of a list, top to bottom.
std::vector<std::wstring> ListTexts(const TargetList& list);

class Application {
public:
    // The start: the user's own families join the table, then the settings
    // are read (a first start writes them). An error is passed on.
    void LoadSettings();
    // The end: the settings are stored. A failure is passed on to be shown,
    // except after an unattended command line, where nobody could close a
    // box: it then only makes the exit code 2.
    void SaveSettingsAtExit();

    // The texts of the run's questions, as the language puts them.
    RunTexts& texts() { return texts_; }
    bool busy() const { return busy_; }
    // The program's exit code: set only by a command line with "-QUIT".
    int exitCode() const { return exitCode_; }

    // The Clean button (tool button, Ctrl+R, the Preview window's Clean):
    // runs the clean list; NotStarted while a run is going on.
    RunOutcome Clean(MainView& view);
    // Tools > Preview: previews the clean list and shows what it found.
    RunOutcome Preview(MainView& view);
    // The warning about the family files left out, shown whenever the main
    // window is; empty when there is none or the start has "-QUIT" (it finds
    // them in its log).
    std::wstring FamilyProblemsWarning(const std::vector<std::wstring>& arguments) const;
    // Acts on the command line, the first time only (CommandLineProcessor).
    void ProcessCommandLine(MainView& view, const std::vector<std::wstring>& arguments);
    bool commandLineProcessed() const { return commandLine_.processed(); }

private:
    RunRequest request(std::vector<std::wstring> families) const;

    RunTexts texts_;
    bool busy_ = false;
    CommandLineProcessor commandLine_;
    int exitCode_ = 0;
    bool unattendedExit_ = false;
};

// Enables the shutdown privilege and asks the system to restart; true when
// the system took the request. A window's run host calls it.
bool RebootSystem();

}  // namespace tw
