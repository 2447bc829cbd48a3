// The pointer's cursor as the X server shows it, read through the XFixes extension, so that an
// end-to-end test can tell whether a program hid the cursor over its window.
#pragma once

#include <optional>
#include <string>

struct CursorImage {
    int width = 0;
    int height = 0;
    int visiblePixels = 0;  // pixels with non-zero alpha: none for a hidden cursor
    std::string name;       // the theme name ("left_ptr") when the cursor has one
};

// The cursor the pointer shows now on the virtual display; nullopt if it cannot be read.
std::optional<CursorImage> currentCursor();
