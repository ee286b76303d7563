#include "app/Application.h"

#include "app/CleaningRun.h"
#include "app/CommandLineRun.h"
#include "options/Language.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"
#include "targets/FamilyTable.h"
#include "targets/Target.h"

namespace tw {

namespace {

// The busy flag set for the life of the guard, then as it was.
class BusyGuard {
public:
    explicit BusyGuard(bool& busy) : busy_(busy), was_(busy) { busy_ = true; }
    ~BusyGuard() { busy_ = was_; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& busy_;
    bool was_;
};

}  // namespace

std::vector<std::wstring> ListTexts(const TargetList& list) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < list.count(); ++i) texts.push_back(list.text(i));
    return texts;
}

std::vector<std::wstring> MainView::familiesAfterQuestion(const RunRequest&) { return ListTexts(cleanList()); }

void Application::LoadSettings() {
    // The user's own families join the table before the settings name their switches.
    LoadOwnFamilies(OwnFamiliesFolder());
    TVarUnit load;
    (void)load;
    if (!SettingsFileExists()) SaveSettings();
}

void Application::SaveSettingsAtExit() {
    if (!unattendedExit_) return SaveSettings();
    try {
        SaveSettings();
    } catch (...) {
        exitCode_ = ExitCodeOf(RunOutcome::Error);
    }
}

RunRequest Application::request(std::vector<std::wstring> families) const {
    RunRequest request;
    request.families = std::move(families);
    request.texts = texts_;
    return request;
}

RunOutcome Application::Clean(MainView& view) {
    if (busy_) return RunOutcome::NotStarted;
    const BusyGuard guard(busy_);
    return RunCleaning(request(ListTexts(view.cleanList())), view);
}

RunOutcome Application::Preview(MainView& view) {
    if (busy_) return RunOutcome::NotStarted;
    std::vector<PreviewGroup> groups;
    RunOutcome outcome;
    {
        const BusyGuard guard(busy_);
        outcome = RunPreview(request(ListTexts(view.cleanList())), view, groups, false);
    }
    // Shown once the preview is over: its Clean starts a run of its own.
    if (outcome == RunOutcome::Finished) view.showPreview(groups);
    return outcome;
}

std::wstring Application::FamilyProblemsWarning(const std::vector<std::wstring>& arguments) const {
    if (OwnFamilyProblems().empty() || ParseCommandLine(arguments).quit) return {};
    std::wstring text = LanguageText(L"Family Files Not Loaded",
                                     L"These family files were not loaded. Every other family works as before.");
    for (const FamilyProblem& problem : OwnFamilyProblems()) text += L"\r\n\r\n" + ProblemText(problem);
    return text;
}

void Application::ProcessCommandLine(MainView& view, const std::vector<std::wstring>& arguments) {
    auto start = [this, &view](const CommandLineRequest& request) {
        std::vector<PreviewGroup> groups;
        int exitCode = 0;
        {
            // While a run is going on the command line's run starts nothing,
            // as for an empty list; its report still says so.
            const bool idle = !busy_;
            const BusyGuard guard(busy_);
            exitCode = RunFromCommandLine(request, idle ? ListTexts(view.cleanList()) : std::vector<std::wstring>{},
                                          texts_, view, groups);
        }
        if (request.preview && !request.quit && exitCode == 0 && !groups.empty()) view.showPreview(groups);
        return exitCode;
    };
    auto quit = [this, &view](int exitCode) {
        exitCode_ = exitCode;
        unattendedExit_ = true;
        view.close();
    };
    commandLine_.Process(arguments, view.cleanList(), start, quit);
}

bool RebootSystem() {
    plat::enablePrivilege(L"SeShutdownPrivilege", true);
    return plat::initiateSystemShutdown(true, true);
}

}  // namespace tw
