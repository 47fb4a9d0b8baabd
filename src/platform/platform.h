// The services the core asks of the desktop: message boxes, beeps, the prompt line and
// repainting the view. The Qt layer implements Platform; HeadlessPlatform records every
// call and answers message boxes from a script, for tests and the command-line tool.
// Later services (cursor, capture, file and modal dialogs, paper, starting programs)
// join the same class.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_model.h"

namespace marquetta {

// Exclamation is the warning triangle; the program's failure messages use it.
enum class MessageIcon { None, Exclamation, Information, Question, Error };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };
enum class BeepKind { Default, Exclamation };

// The printable area of a printer's paper, as its driver reports it.
struct PrinterPaper {
    double printableWidthPixels = 0.0;
    double printableHeightPixels = 0.0;
    double dotsPerInchX = 0.0;
    double dotsPerInchY = 0.0;
};

// The mouse pointers the view uses.
enum class CursorShape { Arrow, Cross, SizeAll, Magnify, Wait };

// A file-open or file-save dialog. The filter is written as the program's resources
// write it: "Name (*.ext)|*.ext||" pairs of a description and its patterns.
struct FileDialogRequest {
    bool save = false;
    std::string title;              // empty: the desktop's default
    std::string filter;             // empty: all files
    std::string defaultExtension;   // without the dot; appended when the name has none
    std::string initialName;        // file name or pattern shown at first
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Shows a modal message box (texts in UTF-8) and returns the button pressed.
    virtual MessageAnswer MessageBox(std::string_view text, std::string_view caption,
                                     MessageIcon icon, MessageButtons buttons) = 0;
    virtual void Beep(BeepKind kind) = 0;
    // Replaces the text of the prompt line in the status bar.
    virtual void SetPrompt(std::string_view text) = 0;
    // Asks for a repaint of the drawing view without erasing its background.
    virtual void InvalidateView() = 0;
    // The paper of the printer the program prints on (the default printer until the
    // user chooses another), or nothing when there is no printer at all.
    virtual std::optional<PrinterPaper> DefaultPrinterPaper() = 0;
    // Ends the process at once: no save prompt, no clean-up.
    [[noreturn]] virtual void TerminateProcess() = 0;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> AskFileName(const FileDialogRequest& request) = 0;
    // Program settings kept for the user between runs (recent files and the like).
    virtual std::string ReadSetting(std::string_view section, std::string_view key) = 0;
    virtual void WriteSetting(std::string_view section, std::string_view key,
                              std::string_view value) = 0;
    // Closes the main window and so ends the program normally.
    virtual void CloseMainWindow() = 0;
    // The pointer over the drawing view.
    virtual void SetCursor(CursorShape shape) = 0;
    // While captured, the view gets every mouse event, also outside its window.
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    // Opens a file with the desktop's default application; false when that failed.
    virtual bool OpenWithDesktop(const std::string& path) = 0;
    // Runs a modal dialog over `model`; true for OK (its Validate accepted the fields),
    // false for Cancel.
    virtual bool RunDialog(DialogModel& model) = 0;
};

// The platform the core talks to. Until one is installed this is a process-wide
// HeadlessPlatform, so the core never meets a null platform.
Platform& CurrentPlatform();
// Installs `platform` (not owned; it must outlive its use); null goes back to the
// process-wide headless one.
void SetCurrentPlatform(Platform* platform);

// Installs a platform for the life of a scope and puts the previous one back after.
class ScopedPlatform {
  public:
    explicit ScopedPlatform(Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

  private:
    Platform* previous_;
};

// The button a user gets by pressing Enter: the first button of the set.
MessageAnswer DefaultAnswer(MessageButtons buttons);

// One call made to a HeadlessPlatform; only the fields of its kind are filled.
struct PlatformCall {
    enum class Kind {
        MessageBox,
        Beep,
        SetPrompt,
        InvalidateView,
        TerminateProcess,
        AskFileName,
        CloseMainWindow,
        RunDialog,
        SetCursor,
        CaptureMouse,
        ReleaseMouse,
        OpenWithDesktop
    };
    Kind kind = Kind::MessageBox;
    std::string text;     // message box text, or the prompt
    std::string caption;  // message box caption
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer answer = MessageAnswer::Ok;  // what the message box returned
    FileDialogRequest fileDialog;              // AskFileName
    std::vector<DialogField> dialogFields;     // RunDialog: the fields as the dialog opened
    BeepKind beep = BeepKind::Default;
    CursorShape cursor = CursorShape::Arrow;  // SetCursor
};

class HeadlessPlatform : public Platform {
  public:
    MessageAnswer MessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                             MessageButtons buttons) override;
    void Beep(BeepKind kind) override;
    void SetPrompt(std::string_view text) override;
    void InvalidateView() override;
    std::optional<PrinterPaper> DefaultPrinterPaper() override { return paper_; }
    // Records the call and throws HeadlessTermination, so a test sees the end.
    [[noreturn]] void TerminateProcess() override;
    std::optional<std::string> AskFileName(const FileDialogRequest& request) override;
    std::string ReadSetting(std::string_view section, std::string_view key) override;
    void WriteSetting(std::string_view section, std::string_view key,
                      std::string_view value) override;
    void CloseMainWindow() override;
    // Fills the fields from the queued input, then presses OK (checking as the dialog
    // would; a refusal is shown as a message box and the next queued input is typed
    // in) or Cancel. With nothing queued the dialog is cancelled.
    bool RunDialog(DialogModel& model) override;
    void SetCursor(CursorShape shape) override;
    void CaptureMouse() override;
    void ReleaseMouse() override;
    // Records the path (in `text`) and answers SetOpenWithDesktopResult's value.
    bool OpenWithDesktop(const std::string& path) override;
    void SetOpenWithDesktopResult(bool result) { openResult_ = result; }
    CursorShape Cursor() const { return cursor_; }
    bool MouseCaptured() const { return captured_; }

    // File dialogs take their answers from this queue in order (nothing = Cancel);
    // with the queue empty they are cancelled.
    void QueueFileName(std::optional<std::string> path) { fileNames_.push_back(std::move(path)); }
    bool MainWindowClosed() const { return mainWindowClosed_; }

    // One visit to a dialog: the texts typed into its fields, in order (fields beyond
    // the list keep their text), then OK or Cancel.
    struct DialogInput {
        std::vector<std::string> fields;
        bool ok = true;
    };
    void QueueDialog(DialogInput input) { dialogs_.push_back(std::move(input)); }

    // The printer a test chooses: unless set, a whole A4 sheet (210 x 297 mm at 254
    // dots per inch, so one pixel is 0.1 mm); nothing means no printer.
    void SetPrinterPaper(std::optional<PrinterPaper> paper) { paper_ = paper; }

    // Message boxes take their answers from this queue in order; with the queue empty
    // they get DefaultAnswer(buttons). An answer is used even if the box lacks that
    // button, so a test can drive a caller down any path.
    void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
    size_t PendingAnswers() const { return answers_.size(); }

    const std::vector<PlatformCall>& Calls() const { return calls_; }
    // The calls of one kind, in the order they were made.
    std::vector<PlatformCall> CallsOf(PlatformCall::Kind kind) const;
    const std::string& Prompt() const { return prompt_; }
    void ClearCalls() { calls_.clear(); }

  private:
    std::vector<PlatformCall> calls_;
    std::deque<MessageAnswer> answers_;
    std::string prompt_;
    std::optional<PrinterPaper> paper_ = PrinterPaper{2100.0, 2970.0, 254.0, 254.0};
    std::deque<std::optional<std::string>> fileNames_;
    std::map<std::string, std::string> settings_;  // "section/key" -> value
    bool mainWindowClosed_ = false;
    std::deque<DialogInput> dialogs_;
    CursorShape cursor_ = CursorShape::Arrow;
    bool captured_ = false;
    bool openResult_ = true;
};

// What HeadlessPlatform::TerminateProcess throws in place of ending the process.
struct HeadlessTermination {};

}  // namespace marquetta
