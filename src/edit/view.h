// The drawing view's behaviour, without a window: it paints the document into frames,
// owns the commands the view handles and answers the mouse. The desktop's view widget
// forwards its events here and draws the frames.
//
// Mouse positions are client pixels with y counted from the top, in the same units as
// the width and height given to OnPaint. Modifiers are KeyModifier bits (keys.h) and
// buttons MouseButton bits (navigation.h).
#pragma once

#include <optional>
#include <string>

#include "edit/navigation.h"
#include "edit/picking.h"
#include "model/document.h"
#include "platform/command_target.h"
#include "view/paint_frame.h"

namespace marquetta {

class CZorader_ezView {  // NOLINT(cppcoreguidelines-special-member-functions): not copyable, frees nothing by hand
  public:
    explicit CZorader_ezView(CZorader_ezDoc& doc);
    CZorader_ezView(const CZorader_ezView&) = delete;
    CZorader_ezView& operator=(const CZorader_ezView&) = delete;

    CZorader_ezDoc& GetDocument() { return m_doc; }
    const CommandTarget& Commands() const { return m_commands; }
    const NavigationState& Navigation() const { return m_nav; }

    // One paint of a client area of width x height pixels.
    const PaintFrame& OnPaint(int width, int height) { return m_paint.Build(m_doc, width, height); }

    // Mouse events.
    // `modifiers`: KeyModifier bits at the press (Shift measures a shape while measuring).
    void OnLButtonDown(int x, int y, int modifiers = 0);
    void OnLButtonUp(int x, int y);
    // The second press of a double click: a press as any other, then, with no command
    // running, a text under the cursor opens for editing (EditTextShape).
    void OnLButtonDblClk(int x, int y);
    void OnMButtonDown(int x, int y);
    void OnMButtonUp(int x, int y);
    // `modifiers`: the Shift and Ctrl state at the press; `buttons`: every button held
    // with the right one included.
    void OnRButtonDown(int x, int y, int modifiers, int buttons);
    void OnRButtonUp(int x, int y);
    void OnMouseMove(int x, int y);
    // `delta`: the signed wheel turn, 120 per notch, positive away from the user; (x, y)
    // the pixel under the cursor, which the zoom keeps in place.
    void OnMouseWheel(int delta, int x, int y);
    // The status bar's coordinate pane: the ground point under the cursor at the last
    // mouse move, and the distance and angle from the step's first point while there is
    // one, after the name of the snap target's kind while one is marked; empty before
    // the cursor has been over the drawing.
    std::string CursorReadoutText() const;
    // Marks the snap target under the cursor while a command takes a point (`known`:
    // the one the preview just found for the pixel).
    void MarkSnapTarget(int x, int y, const std::optional<SnapHit>* known = nullptr);

    // A key the accelerators left to the view: a KeyCode, a capital letter or a digit.
    void OnKeyDown(int key);

    // Commands (also reachable through Commands()).
    void OnDrawLine();
    void OnDrawCircle();
    void OnDrawArc();
    void OnDrawText();
    void OnCancel();
    void OnErase();
    void OnMove();
    void OnCopy();
    void OnOffset();
    void OnStretch();
    void OnViewMove();
    void OnViewZoom();
    void OnRelativeEntry();

  private:
    void RegisterViewModeCommands();
    void RegisterEditingCommands();
    void RegisterModifyCommands();
    void RegisterNavigationCommands();
    void RegisterRelativeEntryCommand();
    void RegisterTransformCommands();
    void RegisterDimensionCommands();

    // command_state.cpp: the editing clicks.
    void StartDrawCommand(int type, const char* prompt);
    void FirstStep(int x, int y, int modifiers = 0);
    void SecondStep(int x, int y, int modifiers = 0);
    // The right press of an editing click; true when it starts a plain right drag.
    bool EditingRightDown();
    void EditingRightUp();
    void FinishSecondStep();

    // navigation.cpp: the pointer and capture that navigation holds.
    void TakeCursor(CursorShape shape);
    void ReturnCursorIfIdle();
    bool NavigationLeftDown(int x, int y);
    bool NavigationLeftUp();

    CZorader_ezDoc& m_doc;
    CommandTarget m_commands;
    PaintBuilder m_paint;
    NavigationState m_nav;
    std::optional<Double3> m_hover;  // the ground point under the cursor
};

// After the drawing's shapes were replaced (new drawing, file opened): no preview
// follows the cursor and no reference to an old shape is kept.
void ForgetReplacedShapes();

}  // namespace marquetta
