// The view's rendering context: the surface format it asks for (double-buffered RGBA
// with 8 bits a colour and a depth buffer, compatibility profile for the fixed-function
// pipeline), a trial of that format before the view window exists, and the messages
// that tell the user when it cannot be had. The program runs on either way, without a
// usable view.
#pragma once

#include <QSurfaceFormat>

namespace marquetta {

class Platform;

QSurfaceFormat ViewSurfaceFormat();

enum class GlContextCheck {
    Ok,
    NoFormat,        // no context can be created for the format
    CannotUseFormat  // a context exists but cannot be made current on a surface
};

// Tries to create a context of `format` and make it current on an offscreen surface.
GlContextCheck CheckGlContext(const QSurfaceFormat& format);

// Shows the message for a failed check (no owner window, OK button); nothing for Ok.
void ReportGlContextCheck(GlContextCheck result, Platform& platform);

}  // namespace marquetta
