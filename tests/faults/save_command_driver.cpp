// The Save command (Ctrl+S) as the program runs it: the drawing named on the command
// line is opened, one more line is drawn into it and it is saved over itself. Message
// boxes are answered at once and their text goes to stderr.
// Exit status: 0 saved, and no longer marked modified; 1 the user was told the save
// failed and the drawing is still marked modified (closing would offer to save it
// again); 2 anything else.
#include <cstdio>

#include "app/app_controller.h"
#include "platform/command_ids.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    using namespace marquetta;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DRAWING\n", argv[0]);
        return 2;
    }
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    AppController app;
    if (!app.Start({argv[1]})) {
        return 2;
    }
    CZorader_ezDoc& doc = app.Document();
    doc.m_current = {};
    doc.m_current.m_nType = SHAPE_LINE;
    doc.SetCurrentLayer("0");
    doc.m_current.m_pt[1] = {1000.0f, 0.0f, 1000.0f};
    doc.AddCurrentShape();
    if (!doc.IsModified()) {
        return 2;
    }
    app.Execute(ID_FILE_SAVE);
    const auto told = platform.CallsOf(PlatformCall::Kind::MessageBox);
    for (const PlatformCall& call : told) {
        std::fprintf(stderr, "%s\n", call.text.c_str());
    }
    if (told.empty()) {
        return doc.IsModified() ? 2 : 0;
    }
    return doc.IsModified() ? 1 : 2;
}
