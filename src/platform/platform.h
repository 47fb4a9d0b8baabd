// The services the core asks of the desktop: message boxes, beeps, the prompt line and
// repainting the view. The Qt layer implements Platform; HeadlessPlatform records every
// call and answers message boxes from a script, for tests and the command-line tool.
// The same class carries the cursor, capture, file and modal dialogs, the colour
// chooser, the printer (paper, printing, preview and set-up), starting programs and
// showing pictures.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/dialog_model.h"

namespace marquetta {

class PrintPen;

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
    bool operator==(const PrinterPaper&) const = default;
};

// Draws the one page of a print job through the pen it is given.
using PageDrawing = std::function<void(PrintPen&)>;

enum class PrintResult { Printed, Cancelled, Failed };

// The preview shows one page, or two side by side; the user's choice is kept.
inline constexpr int kMinPreviewPages = 1;
inline constexpr int kMaxPreviewPages = 2;

// The mouse pointers the view uses.
enum class CursorShape {
    Arrow,
    SizeAll,       // four arrows: panning
    SizeVertical,  // up and down: zooming
    SizeDiagonal,  // from bottom left to top right: a plain right drag
    Wait,
};

// A file-open or file-save dialog. The filter is written as the program's resources
// write it: "Name (*.ext)|*.ext||" pairs of a description and its patterns. The dialog
// shows names and folders only: it never reads a file's contents.
struct FileDialogRequest {
    bool save = false;
    std::string title;   // empty: the desktop's default
    std::string filter;  // empty: all files
    // Without the dot. The dialog appends it to a name typed without any extension, so
    // that its "replace?" question is asked for the name actually written.
    std::string defaultExtension;
    // A file name shown at first, or a pattern such as "*.dxf": the pattern also filters
    // the list (first among the filters) and every file is offered as the next choice.
    std::string initialName;
    std::string folder;  // where the dialog starts; empty: the desktop's choice
    // Saving: whether a name typed in full asks before replacing a file. A name that
    // gains the default extension in the dialog, or the initial name accepted as it was
    // offered, always asks.
    bool askBeforeReplacing = true;
    // Saving: extensions (without the dot, lower case) that belong to other formats. A
    // name ending in one of them, in any letter case, gains the default extension too
    // ("plan.dxf" becomes "plan.dxf.trn").
    std::vector<std::string> foreignExtensions;
};

// A program to start in a folder of its own choosing, not waited for: it goes on
// running when this program ends.
struct ProgramLaunch {
    std::string program;                 // a path
    std::vector<std::string> arguments;  // after the program's name
    std::string folder;                  // its current folder
};

// How a started program ended, and the end of what it wrote to its standard output
// and error.
struct ProgramEnd {
    bool exited = true;  // false: a signal ended it
    int status = 0;      // the exit status, or the signal
    std::string output;
    bool ok() const { return exited && status == 0; }
};
using ProgramEnded = std::function<void(const ProgramEnd&)>;

// One form of what goes on the desktop's clipboard: a MIME type and its bytes. The
// form kPlainText holds UTF-8 text.
struct ClipboardForm {
    std::string mimeType;
    std::string bytes;
};
inline constexpr const char* kPlainText = "text/plain";

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
    // Stores values of one section together: all of them, or none when the settings
    // cannot be written (false).
    virtual bool WriteSettings(std::string_view section,
                               const std::vector<std::pair<std::string, std::string>>& values) = 0;
    bool WriteSetting(std::string_view section, std::string_view key, std::string_view value) {
        return WriteSettings(section, {{std::string(key), std::string(value)}});
    }
    // Closes the main window and so ends the program normally.
    virtual void CloseMainWindow() = 0;
    // The pointer over the drawing view.
    virtual void SetCursor(CursorShape shape) = 0;
    // While captured, the view gets every mouse event, also outside its window.
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    // Opens a file with the desktop's default application through the desktop's opener,
    // not waited for: `ended` (may be empty) runs on the user-interface thread with the
    // opener's answer once it has one, if this program still runs then; a failure says
    // why in its output. False when the opener could not be started at all.
    virtual bool OpenWithDesktop(const std::string& path, ProgramEnded ended) = 0;
    // Runs a modal dialog over `model`; true for OK (its Validate accepted the fields),
    // false for Cancel.
    virtual bool RunDialog(DialogModel& model) = 0;
    // Runs a modal list dialog over `model`; true for OK, false for Cancel.
    virtual bool RunListDialog(ListDialogModel& model) = 0;
    // The desktop's colour chooser, opened on `initial`: the chosen colour, or nothing
    // when the user cancels.
    virtual std::optional<RgbColor> ChooseColor(RgbColor initial) = 0;
    // Prints one page on the printer the program prints on: after the print dialog
    // when `askFirst` (Cancelled when the user declines it), straight away otherwise.
    // Failed when the job could not start.
    virtual PrintResult PrintPage(bool askFirst, const PageDrawing& drawPage) = 0;
    // The print preview of that page, `pages` (1 or 2) pages side by side at first;
    // returns how many the user left it showing.
    virtual int PreviewPage(int pages, const PageDrawing& drawPage) = 0;
    // The printer and page set-up: the choice becomes the printer that
    // DefaultPrinterPaper measures and that PrintPage prints on.
    virtual void PrinterSetup() = 0;
    // Starts a program; `ended` runs on the user-interface thread once it has ended,
    // if this program still runs then. False when it could not be started.
    virtual bool StartProgram(const ProgramLaunch& launch, ProgramEnded ended) = 0;
    // Shows a picture file in a window of its own, titled with the file's name; false
    // when the file cannot be read as a picture.
    virtual bool ShowPicture(const std::string& path) = 0;
    // The desktop's clipboard, shared with other programs: puts these forms of one
    // content on it, in place of what it held.
    virtual void WriteClipboard(const std::vector<ClipboardForm>& forms) = 0;
    // The bytes of one form, or nothing when the clipboard does not hold that form.
    virtual std::optional<std::string> ReadClipboard(std::string_view mimeType) = 0;
    virtual bool ClipboardHas(std::string_view mimeType) = 0;
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

// Where every file dialog starts: the folder of the drawing at `drawingPath`; for an
// untitled drawing (empty path) the folder last used in any file dialog, kept in the
// settings, or else the home folder.
std::string FileDialogFolder(Platform& platform, const std::string& drawingPath);
// Asks for a file name starting in the request's folder, or where it has none in
// FileDialogFolder, and remembers the folder of the file chosen.
std::optional<std::string> AskFileNameFrom(Platform& platform, FileDialogRequest request,
                                           const std::string& drawingPath);

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
        RunListDialog,
        ChooseColor,
        SetCursor,
        CaptureMouse,
        ReleaseMouse,
        OpenWithDesktop,
        PrintPage,
        PreviewPage,
        PrinterSetup,
        StartProgram,
        ShowPicture
    };
    Kind kind = Kind::MessageBox;
    std::string text;     // message box text, or the prompt
    std::string caption;  // message box caption
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer answer = MessageAnswer::Ok;  // what the message box returned
    FileDialogRequest fileDialog;              // AskFileName
    std::vector<DialogField> dialogFields;     // RunDialog: the fields as the dialog opened
    std::vector<ListDialogItem> listItems;     // RunListDialog: the items as it opened
    RgbColor color;                            // ChooseColor: the colour it opened on
    BeepKind beep = BeepKind::Default;
    CursorShape cursor = CursorShape::Arrow;         // SetCursor
    bool askFirst = false;                           // PrintPage: whether the dialog came first
    int previewPages = 0;                            // PreviewPage: the pages asked for
    PrintResult printResult = PrintResult::Printed;  // PrintPage: what it answered
    ProgramLaunch launch;                            // StartProgram; ShowPicture's path is `text`
};

// One call to a print pen: a move, or a line from the current point.
struct PenStep {
    bool line = false;
    int x = 0;
    int y = 0;
    bool operator==(const PenStep&) const = default;
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
    bool WriteSettings(std::string_view section,
                       const std::vector<std::pair<std::string, std::string>>& values) override;
    void CloseMainWindow() override;
    // Presses the queued input's buttons, fills the fields from it, then presses OK
    // (checking as the dialog would; a refusal is shown as a message box and the next
    // queued input is typed in) or Cancel. With nothing queued the dialog is cancelled.
    bool RunDialog(DialogModel& model) override;
    // Plays the next queued visit's clicks and double clicks on the model, then
    // answers its OK or Cancel. With nothing queued the dialog is cancelled untouched.
    bool RunListDialog(ListDialogModel& model) override;
    // Answers from QueueColor in order; with the queue empty the chooser is cancelled.
    std::optional<RgbColor> ChooseColor(RgbColor initial) override;
    void SetCursor(CursorShape shape) override;
    void CaptureMouse() override;
    void ReleaseMouse() override;
    // Records the path (in `text`) and answers SetOpenWithDesktopResult's value; an
    // opener that starts runs until FinishProgram ends it, as a started program does.
    bool OpenWithDesktop(const std::string& path, ProgramEnded ended) override;
    void SetOpenWithDesktopResult(bool result) { openResult_ = result; }
    CursorShape Cursor() const { return cursor_; }
    bool MouseCaptured() const { return captured_; }

    // Records the call and, when it answers Printed, draws the page into
    // PrintedPage. The answers come from QueuePrintResult in order, then Printed.
    PrintResult PrintPage(bool askFirst, const PageDrawing& drawPage) override;
    void QueuePrintResult(PrintResult result) { printResults_.push_back(result); }
    // Records the call and draws the page into PrintedPage; the user leaves the
    // preview at SetPreviewAnswer's count, or at `pages` when none was set.
    int PreviewPage(int pages, const PageDrawing& drawPage) override;
    void SetPreviewAnswer(std::optional<int> pages) { previewAnswer_ = pages; }
    // Records the call; a paper queued with QueuePrinterSetup is the user's choice
    // (it becomes DefaultPrinterPaper's answer), an empty queue is Cancel.
    void PrinterSetup() override;
    void QueuePrinterSetup(PrinterPaper paper) { setups_.push_back(paper); }
    // Records the launch and keeps `ended` for FinishProgram; answers
    // SetStartProgramResult's value (a refused start keeps nothing).
    bool StartProgram(const ProgramLaunch& launch, ProgramEnded ended) override;
    void SetStartProgramResult(bool result) { startResult_ = result; }
    // Ends the earliest started program still running as `end` says; false when none runs.
    bool FinishProgram(const ProgramEnd& end);
    // Records the path (in `text`) and answers SetShowPictureResult's value.
    bool ShowPicture(const std::string& path) override;
    void SetShowPictureResult(bool result) { pictureResult_ = result; }
    // A clipboard in memory, as if no other program used it.
    void WriteClipboard(const std::vector<ClipboardForm>& forms) override { clipboard_ = forms; }
    std::optional<std::string> ReadClipboard(std::string_view mimeType) override;
    bool ClipboardHas(std::string_view mimeType) override {
        return ReadClipboard(mimeType).has_value();
    }

    // The steps of the last page printed or previewed.
    const std::vector<PenStep>& PrintedPage() const { return page_; }

    // File dialogs take their answers from this queue in order (nothing = Cancel);
    // with the queue empty they are cancelled.
    void QueueFileName(std::optional<std::string> path) { fileNames_.push_back(std::move(path)); }
    bool MainWindowClosed() const { return mainWindowClosed_; }

    // One visit to a dialog: the texts typed into its fields, in order (fields beyond
    // the list keep their text), then OK or Cancel.
    struct DialogInput {
        std::vector<std::string> fields;
        bool ok = true;
        // Buttons pressed (by field index, in order) before the texts are typed and
        // OK or Cancel is pressed.
        std::vector<size_t> buttons = {};
    };
    void QueueDialog(DialogInput input) { dialogs_.push_back(std::move(input)); }

    // One visit to a list dialog: clicks and double clicks on items (-1: empty space)
    // in order, then OK or Cancel.
    // With `button` (its index in the model's Buttons()), that button is pressed with
    // `item` selected.
    struct ListStep {
        bool doubleClick = false;
        int item = -1;
        int button = -1;
    };
    struct ListDialogInput {
        std::vector<ListStep> steps;
        bool ok = true;
    };
    void QueueListDialog(ListDialogInput input) { listDialogs_.push_back(std::move(input)); }
    // The user's answer to the next colour chooser; nothing is Cancel.
    void QueueColor(std::optional<RgbColor> color) { colors_.push_back(color); }

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
    // Appends a call of `kind` and returns it for its fields.
    PlatformCall& Record(PlatformCall::Kind kind);

    std::vector<PlatformCall> calls_;
    std::deque<MessageAnswer> answers_;
    std::string prompt_;
    std::optional<PrinterPaper> paper_ = PrinterPaper{2100.0, 2970.0, 254.0, 254.0};
    std::deque<std::optional<std::string>> fileNames_;
    std::map<std::string, std::string> settings_;  // "section/key" -> value
    bool mainWindowClosed_ = false;
    std::deque<DialogInput> dialogs_;
    std::deque<ListDialogInput> listDialogs_;
    std::deque<std::optional<RgbColor>> colors_;
    CursorShape cursor_ = CursorShape::Arrow;
    bool captured_ = false;
    bool openResult_ = true;
    std::deque<PrintResult> printResults_;
    std::optional<int> previewAnswer_;
    std::deque<PrinterPaper> setups_;
    std::vector<PenStep> page_;
    bool startResult_ = true;
    std::deque<ProgramEnded> running_;
    bool pictureResult_ = true;
    std::vector<ClipboardForm> clipboard_;
};

// What HeadlessPlatform::TerminateProcess throws in place of ending the process.
struct HeadlessTermination {};

}  // namespace marquetta
