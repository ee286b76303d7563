// The main window's target lists and command line, and the desktop icon
// layouts saved beside the program.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "app/TWUnit.h"
#include "desktop/DesktopIconLayouts.h"
#include "desktop/DesktopIcons.h"
#include "program_folder.h"

namespace {

using Labels = std::vector<std::wstring>;

// A list that reports several selected entries and records its erasures.
class RecordingList : public tw::MemoryTargetList {
public:
    RecordingList(Labels items, std::vector<bool> selection) : MemoryTargetList(std::move(items)), selection_(selection) {}
    bool selected(int i) const override { return selection_.at(static_cast<std::size_t>(i)); }
    void erase(int i) override {
        erased.push_back(text(i));
        MemoryTargetList::erase(i);
        selection_.erase(selection_.begin() + i);
    }
    Labels erased;

private:
    std::vector<bool> selection_;
};

TEST(MainWindow, ListButtons) {
    RecordingList available(tw::AvailableTargetLabels(), {0, 1, 0, 0, 0, 1, 0});
    tw::MemoryTargetList clean(Labels{L"nvidia - DISPLAY"});
    tw::SelectSelected(available, clean);  // ">": each label once, letter case ignored
    EXPECT_EQ(clean.items(), (Labels{L"nvidia - DISPLAY", L"ATi - Display"}));
    EXPECT_TRUE(tw::RemoveButtonsEnabled(clean));
    tw::SelectAll(available, clean);  // ">>": the available list's order
    EXPECT_EQ(clean.items(), tw::AvailableTargetLabels());
    RecordingList chosen(Labels{L"A", L"B", L"C", L"D", L"E"}, {1, 1, 0, 1, 1});
    tw::RemoveSelected(chosen);  // "<": from the last to the first
    EXPECT_EQ(chosen.erased, (Labels{L"E", L"D", L"B", L"A"}));
    tw::RemoveAll(chosen);
    EXPECT_FALSE(tw::RemoveButtonsEnabled(chosen));
}

TEST(MainWindow, CommandLineFillsTheListThenStartsThenQuitsOnce) {
    tw::CommandLineProcessor processor;
    tw::MemoryTargetList clean;
    std::vector<std::string> calls;
    auto start = [&](const tw::CommandLineRequest& r) {
        calls.push_back((r.preview ? "preview " : "clean ") + std::to_string(clean.count()));
        return 3;
    };
    auto quit = [&](int code) { calls.push_back("quit " + std::to_string(code)); };
    const Labels arguments = {L"-NVIDIA", L"-ati", L"-nvidia", L"-NvIdIaChIpSeT", L"-mmouse", L"-realtek", L"-creative",
                              L"-ageia", L"-preview", L"-quit"};
    EXPECT_FALSE(tw::SwitchLabel(L"-ATI ") || tw::SwitchLabel(L"-\u00e0ti") || tw::IsQuitSwitch(L"/quit"));
    EXPECT_TRUE(processor.Process(arguments, clean, start, quit));
    EXPECT_EQ(clean.items(), (Labels{L"NVIDIA - Display", L"ATi - Display", L"NVIDIA - Chipset", L"Microsoft - Mouse",
                                     L"Realtek - Sound", L"Creative - Sound", L"AGEIA - PhysX"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"preview 7", "quit 3"}));
    EXPECT_FALSE(processor.Process(arguments, clean, start, quit));
    EXPECT_EQ(calls.size(), 2u);

    // Any argument starts a run; one that raises quits with 2 when unattended.
    tw::CommandLineProcessor other, raising;
    other.Process({L"-PREVIEWS", L"-QUIT"}, clean, start, quit);
    EXPECT_EQ(calls.back(), "quit 3");
    EXPECT_EQ(calls.at(2), "clean 7");
    raising.Process({L"-QUIT"}, clean, [](const tw::CommandLineRequest&) -> int { throw tw::AppError(L"x"); }, quit);
    EXPECT_EQ(calls.back(), "quit 2");
}

// ---- desktop icon layouts ----

// Points this program's import of `name` at `replacement`; gives the old one.
void* patchImport(const char* name, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; d->Name != 0; ++d)
        for (auto *n = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk),
                  *slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
             n->u1.AddressOfData != 0; ++n, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(n->u1.Ordinal) ||
                std::strcmp(reinterpret_cast<char*>(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + n->u1.AddressOfData)->Name), name) != 0)
                continue;
            DWORD old = 0;
            ::VirtualProtect(&slot->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
            void* real = reinterpret_cast<void*>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            return real;
        }
    return nullptr;
}

// Wine without a display has no desktop, and its windows cannot have
// children: three message-only windows stand in, a real list view among
// them, linked as Progman > SHELLDLL_DefView > SysListView32 through this
// program's imports of FindWindowExW and GetParent.
HWND g_progman, g_view, g_list;
decltype(&::FindWindowExW) g_findWindowEx;
decltype(&::GetParent) g_getParent;
HWND WINAPI findWindowEx(HWND parent, HWND after, LPCWSTR cls, LPCWSTR title) {
    if (parent != nullptr && (parent == g_progman || parent == g_view))
        return after != nullptr ? nullptr : parent == g_progman ? g_view : g_list;
    return g_findWindowEx(parent, after, cls, title);
}
HWND WINAPI getParent(HWND window) { return window != nullptr && window == g_list ? g_view : g_getParent(window); }

class DesktopLayouts : public dialogs::ProgramFolderTest {
protected:
    static void SetUpTestSuite() {
        g_findWindowEx = reinterpret_cast<decltype(g_findWindowEx)>(patchImport("FindWindowExW", reinterpret_cast<void*>(&findWindowEx)));
        g_getParent = reinterpret_cast<decltype(g_getParent)>(patchImport("GetParent", reinterpret_cast<void*>(&getParent)));
        reinterpret_cast<void(WINAPI*)()>(::GetProcAddress(::LoadLibraryA("comctl32.dll"), "InitCommonControls"))();
        for (const wchar_t* name : {L"Progman", L"SHELLDLL_DefView"}) {
            WNDCLASSW c = {};
            c.lpfnWndProc = ::DefWindowProcW;
            c.lpszClassName = name;
            ::RegisterClassW(&c);
        }
        g_progman = ::CreateWindowW(L"Progman", L"Program Manager", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
        g_view = ::CreateWindowW(L"SHELLDLL_DefView", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
        g_list = ::CreateWindowW(L"SysListView32", L"FolderView", 0, 0, 0, 800, 600, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    void SetUp() override {
        ProgramFolderTest::SetUp();
        ASSERT_EQ(tw::GetDesktopListView(), reinterpret_cast<plat::HWnd>(g_list));
        ::SendMessageW(g_list, LVM_DELETEALLITEMS, 0, 0);
        const wchar_t* names[] = {L"Computer", L"Recycle Bin", L"Same", L"Same"};
        for (int i = 0; i < 4; ++i) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<wchar_t*>(names[i]);
            ::SendMessageW(g_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            place(i, 10 + i * 100, 500 - i * 50);
        }
    }
    static void place(int i, int x, int y) {
        POINT p = {x, y};
        ::SendMessageW(g_list, LVM_SETITEMPOSITION32, i, reinterpret_cast<LPARAM>(&p));
    }
    static std::vector<std::pair<int, int>> positions() {
        std::vector<std::pair<int, int>> out;
        for (int i = 0; i < 4; ++i) {
            POINT p = {};
            ::SendMessageW(g_list, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&p));
            out.emplace_back(p.x, p.y);
        }
        return out;
    }
};

TEST_F(DesktopLayouts, SaveRestoreListAndRemove) {
    const auto saved = positions();
    const std::wstring file = tw::SaveDesktopLayout(L"Home");
    EXPECT_EQ(file, tw::programFolderW() + L"Desktop Icon\\Home.ini");
    EXPECT_EQ(plat::profileRead(file, L"Recycle Bin", L"Y", L""), std::to_wstring(saved[1].second));
    for (int i = 0; i < 4; ++i) place(i, 700, 9);
    EXPECT_TRUE(tw::RestoreDesktopLayout(L"home", false));
    EXPECT_EQ(positions(), (std::vector<std::pair<int, int>>{saved[0], saved[1], saved[2], {700, 9}}))
        << "only the first icon of a name moves";

    settings("[Languages]\r\nCurrent=Deutsch\r\n");
    languages(L"[Deutsch]\r\nCurrent date and time=\u00c4ktuell\r\n");
    EXPECT_EQ(tw::DesktopLayoutName(L"Current date and time"), L"Current date and time");
    const std::wstring before = tw::fileTimeStamp(), stamped = tw::DesktopLayoutName(L"\u00c4KTUELL");
    EXPECT_TRUE(stamped == before || stamped == tw::fileTimeStamp()) << dialogs::narrow(stamped);
    tw::SaveDesktopLayout(L"alpha");
    for (const wchar_t* name : {L"..\\Tidewell", L"a:b", L"CON", L"nul.txt", L"COM\u00b9", L"\u8868X"})
        EXPECT_THROW(tw::SaveDesktopLayout(name), tw::AppError) << dialogs::narrow(name);
    EXPECT_EQ(tw::ListDesktopLayouts().names, (Labels{L"alpha", L"Home"}));
    EXPECT_EQ(tw::ListDesktopLayouts().text, L"Home");
    EXPECT_FALSE(tw::RemoveDesktopLayout(L"..\\tw_wine_tests")) << "a name that leaves the folder";
    EXPECT_TRUE(winetest::fileExists(dialogs::narrow(tw::SettingsFilePath())));
    EXPECT_TRUE(tw::RemoveDesktopLayout(L"HOME"));
    EXPECT_FALSE(tw::RestoreDesktopLayout(L"Home", false));
    EXPECT_EQ(tw::ListDesktopLayouts().names, Labels{L"alpha"});
}

}  // namespace
