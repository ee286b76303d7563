// A run or preview started from the command line: the run itself, then the
// report of "-REPORT=<file>" and, with "-QUIT", the summary line on standard
// output.
#pragma once

#include <string>
#include <vector>

#include "app/Preview.h"
#include "app/RunHost.h"
#include "app/TWUnit.h"

namespace tw {

// The settings in force, as the report names them (the safeguards with those
// `oneRun` turns on, every driver phase on with `drivers`).
std::vector<std::pair<std::string, int>> ReportedSettings(const RunSafeguards& oneRun = {}, bool drivers = false);

// Runs (or previews, into `groups`) what the request asks of `families` (the
// clean list as the arguments left it) through `host`, and returns the exit
// code. The report is written whatever LogFiles says, also after a
// cancel or an error; one that cannot be written makes the exit code 2 and
// leaves no file: with "-QUIT" its error's text goes into the summary line,
// without it AppError "Cannot create file "%s". %s" is raised.
int RunFromCommandLine(const CommandLineRequest& request, std::vector<std::wstring> families, const RunTexts& texts,
                       RunHost& host, std::vector<PreviewGroup>& groups);

}  // namespace tw
