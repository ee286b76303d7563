// A cleaning run (or a preview) as its starter asks for it, and the host it
// reports to. The run itself shows no window and restarts nothing: every
// question, the progress and the restart go through the host, which the
// main window implements with message boxes and its progress bar, and the
// tests with a script.
#pragma once

#include <string>
#include <vector>

#include "app/TWUnit.h"

namespace tw {

// The texts of the run's two questions, in the current language.
struct RunTexts {
    std::wstring warningMessage;
    std::wstring warningMessageTitle;
    std::wstring rebootMessage;
    std::wstring rebootMessageTitle;
};

struct RunRequest {
    std::vector<std::wstring> families;  // labels, top to bottom; unknown ones are skipped
    RunSafeguards safeguards;            // on for this run, whatever the settings say
    bool drivers = false;                // every family's driver phase on for this run
    // Nobody is there ("-QUIT"): an error becomes the last line of the saved
    // log instead of being passed on, and no restore point question is asked.
    bool unattended = false;
    RunTexts texts;
};

// An OK/Cancel question. `warning` shows the exclamation mark, otherwise
// the question mark.
struct Question {
    std::wstring text;
    std::wstring title;
    bool warning = false;
};

class RunHost {
public:
    virtual ~RunHost() = default;
    // True for OK.
    virtual bool confirm(const Question& question) = 0;
    // The families to clean once the "Warning" question is answered. The
    // question has no owner, so a window's lists take input while it is
    // open: the run cleans them as they stand after the answer.
    virtual std::vector<std::wstring> familiesAfterQuestion(const RunRequest& request) { return request.families; }
    virtual void setProgressMax(int maximum) = 0;
    virtual void setProgressPosition(int position) = 0;
    virtual void stepProgress() = 0;
    // The question after a run whose setting asks for it; true for OK.
    virtual bool askRestart(const Question& question) = 0;
    // Starts the restart of Windows; true when the system took the request.
    virtual bool restart() = 0;
};

}  // namespace tw
