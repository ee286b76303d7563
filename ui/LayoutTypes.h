// The pixel layout of a window's controls at 96 DPI, as plain data that the
// window code applies and the unit tests check (inside the client area, no
// two controls of the same page overlapping). Includes no Windows header.
#pragma once

#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif

namespace twlayout {

enum class Kind {
    Plain,     // an ordinary control
    Frame,     // a group box or tab control: other controls lie inside it
    DropDown,  // a combo box: the height includes its drop-down list
};

struct Control {
    int id, x, y, width, height;
    int page = 0;  // 0: always shown; 1, 2, 3: shown with that page only
    Kind kind = Kind::Plain;
};

}  // namespace twlayout
