// Reading the current cursor image from the virtual display.
#include "tests/support/CursorImage.h"

#include <memory>

#include "tests/support/ShowRun.h"

// Last: Xlib's macros (None, Status, Bool) would break the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

std::optional<CursorImage> currentCursor()
{
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(virtualDisplay().c_str()), XCloseDisplay);
    if (display == nullptr)
        return std::nullopt;
    int eventBase = 0;
    int errorBase = 0;
    if (!XFixesQueryExtension(display.get(), &eventBase, &errorBase))
        return std::nullopt;
    std::unique_ptr<XFixesCursorImage, int (*)(void*)> image(XFixesGetCursorImage(display.get()), XFree);
    if (image == nullptr)
        return std::nullopt;
    CursorImage cursor;
    cursor.width = image->width;
    cursor.height = image->height;
    cursor.name = image->name != nullptr ? image->name : "";
    // XFixes gives one ARGB value per pixel in an unsigned long, alpha in bits 24 to 31.
    for (int i = 0; i < cursor.width * cursor.height; ++i) {
        if (((image->pixels[i] >> 24) & 0xff) != 0)
            ++cursor.visiblePixels;
    }
    return cursor;
}
