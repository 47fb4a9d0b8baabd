#include "gui/gl_context_check.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

#include "platform/platform.h"

namespace marquetta {

QSurfaceFormat ViewSurfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(24);
    return format;
}

GlContextCheck CheckGlContext(const QSurfaceFormat& format) {
    QOpenGLContext context;
    context.setFormat(format);
    if (!context.create()) {
        return GlContextCheck::NoFormat;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) {
        return GlContextCheck::CannotUseFormat;
    }
    context.doneCurrent();
    return GlContextCheck::Ok;
}

void ReportGlContextCheck(GlContextCheck result, Platform& platform) {
    switch (result) {
        case GlContextCheck::NoFormat:
            platform.MessageBox("その値ではフレームバッファを初期化できません",
                                "OpenGL:致命的例外１", MessageIcon::None, MessageButtons::Ok);
            break;
        case GlContextCheck::CannotUseFormat:
            platform.MessageBox("フレームバッファの初期化に失敗しました。", "OpenGL:致命的例外２",
                                MessageIcon::None, MessageButtons::Ok);
            break;
        case GlContextCheck::Ok:
            break;
    }
}

}  // namespace marquetta
