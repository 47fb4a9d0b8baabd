// marquetta: the desktop drafting program.
#include "gui/draw_app.h"
#include "gui/gl_context_check.h"

int main(int argc, char** argv) {
    // The fixed-function pipeline needs a compatibility context everywhere.
    QSurfaceFormat::setDefaultFormat(marquetta::ViewSurfaceFormat());
    marquetta::CDrawApp app(argc, argv);
    if (!app.InitInstance()) {
        return 1;
    }
    return app.Run();
}
