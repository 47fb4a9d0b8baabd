// The drawing view's behaviour, without a window: it paints the document into frames,
// and owns the commands the view handles. The desktop's view widget forwards its
// events here and draws the frames.
#pragma once

#include "model/document.h"
#include "platform/command_target.h"
#include "view/paint_frame.h"

namespace marquetta {

class CZorader_ezView {
public:
    explicit CZorader_ezView(CZorader_ezDoc& doc);
    CZorader_ezView(const CZorader_ezView&) = delete;
    CZorader_ezView& operator=(const CZorader_ezView&) = delete;

    CZorader_ezDoc& GetDocument() { return m_doc; }
    const CommandTarget& Commands() const { return m_commands; }

    // One paint of a client area of width x height pixels.
    const PaintFrame& OnPaint(int width, int height) { return m_paint.Build(m_doc, width, height); }

private:
    void RegisterViewModeCommands();

    CZorader_ezDoc& m_doc;
    CommandTarget m_commands;
    PaintBuilder m_paint;
};

// After the drawing's shapes were replaced (new drawing, file opened): no preview
// follows the cursor and no reference to an old shape is kept.
void ForgetReplacedShapes();

}  // namespace marquetta
