// The pixel layouts of the six windows: every control inside its window's
// client area, no two controls that show at the same time overlapping (a
// group box or tab control may hold others), identifiers unique.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>

#include "about/win/AboutFormLayout.h"
#include "app/win/TWFormLayout.h"
#include "backup/win/BackupFormLayout.h"
#include "desktop/win/DesktopIconFormLayout.h"
#include "log/win/LogFormLayout.h"
#include "options/win/OptionsFormLayout.h"

namespace {

using twlayout::Control;
using twlayout::Kind;

// A closed combo box is one text line high; its list drops over other windows.
constexpr int kClosedComboHeight = 21;

struct Box {
    int left, top, right, bottom;
};

Box BoxOf(const Control& c) {
    const int height = c.kind == Kind::DropDown ? kClosedComboHeight : c.height;
    return {c.x, c.y, c.x + c.width, c.y + height};
}

bool Disjoint(const Box& a, const Box& b) {
    return a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
}

bool Contains(const Box& outer, const Box& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool ShownTogether(const Control& a, const Control& b) {
    return a.page == 0 || b.page == 0 || a.page == b.page;
}

struct Window {
    std::string name;
    int width, height;
    std::span<const Control> controls;
    int clippedId = -1;  // a control allowed to run past the bottom edge
};

void CheckWindow(const Window& w) {
    SCOPED_TRACE(w.name);
    std::set<int> ids;
    for (const Control& c : w.controls) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        EXPECT_TRUE(ids.insert(c.id).second) << "identifier used twice";
        EXPECT_GT(c.width, 0);
        EXPECT_GT(c.height, 0);
        const Box box = BoxOf(c);
        EXPECT_GE(box.left, 0);
        EXPECT_GE(box.top, 0);
        EXPECT_LE(box.right, w.width);
        if (c.id != w.clippedId) {
            EXPECT_LE(box.bottom, w.height);
        }
    }
    for (size_t i = 0; i < w.controls.size(); ++i)
        for (size_t j = i + 1; j < w.controls.size(); ++j) {
            const Control& a = w.controls[i];
            const Control& b = w.controls[j];
            if (!ShownTogether(a, b)) continue;
            const Box ba = BoxOf(a), bb = BoxOf(b);
            const bool ok = Disjoint(ba, bb) || (a.kind == Kind::Frame && Contains(ba, bb)) ||
                            (b.kind == Kind::Frame && Contains(bb, ba));
            EXPECT_TRUE(ok) << "controls " << a.id << " and " << b.id << " overlap";
        }
}

TEST(WindowLayout, MainWindowControlsFitAndDoNotOverlap) {
    namespace m = twlayout::main;
    CheckWindow({"main", m::kClientWidth, m::kClientHeight, m::kControls, IDC_BANNER});
    // Six tool buttons fit the tool bar, side by side.
    EXPECT_LE(6 * m::kToolButtonWidth, m::kControls[0].width);
    EXPECT_LE(m::kToolButtonHeight, m::kControls[0].height);
    EXPECT_LE(m::kToolPicture, m::kToolButtonHeight);
}

TEST(WindowLayout, DialogControlsFitAndDoNotOverlapOnAnyPage) {
    namespace a = twlayout::about;
    namespace l = twlayout::log;
    namespace o = twlayout::options;
    namespace b = twlayout::backup;
    namespace d = twlayout::desktop;
    CheckWindow({"about", a::kClientWidth, a::kClientHeight, a::kControls});
    CheckWindow({"log", l::kClientWidth, l::kClientHeight, l::kControls});
    CheckWindow({"options", o::kClientWidth, o::kClientHeight, o::kControls});
    CheckWindow({"backup", b::kClientWidth, b::kClientHeight, b::kControls});
    CheckWindow({"desktop", d::kClientWidth, d::kClientHeight, d::kControls});
}

TEST(WindowLayout, TheCheckerRejectsOverlapsAndControlsOutside) {
    // The checks above must be able to fail: a partial overlap, a control
    // past the edge and a control outside its frame are each reported.
    const Control overlapping[] = {{1, 0, 0, 50, 20}, {2, 40, 10, 50, 20}};
    const Control outside[] = {{1, 90, 0, 20, 20}};
    const Control leavingFrame[] = {{1, 0, 0, 50, 50, 0, Kind::Frame}, {2, 40, 10, 20, 20}};
    const Control otherPages[] = {{1, 0, 0, 50, 20, 1}, {2, 0, 0, 50, 20, 2}};
    EXPECT_NONFATAL_FAILURE(CheckWindow({"t", 100, 100, overlapping}), "overlap");
    EXPECT_NONFATAL_FAILURE(CheckWindow({"t", 100, 100, outside}), "box.right");
    EXPECT_NONFATAL_FAILURE(CheckWindow({"t", 100, 100, leavingFrame}), "overlap");
    CheckWindow({"t", 100, 100, otherPages});  // pages in the same place are fine
}

}  // namespace
