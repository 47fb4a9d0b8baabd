// The core's desktop services with Qt: message boxes, the prompt line of the status
// dialog bar, repaints of the view, the dialogs and the colour chooser, the printer (its paper, printing, the preview and
// the set-up, all on one QPrinter), file dialogs and the user's settings under
// "HALVERN STUDIO/Marquetta", starting programs and a window for pictures.
#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "platform/platform.h"

class QPrinter;
class QWidget;

namespace marquetta {

class CMainFrame;
class CPictureWindow;
class CProgramRunner;

class QtPlatform : public Platform {
  public:
    QtPlatform();
    ~QtPlatform() override;

    // The window the services act on; null until it exists and after it is gone.
    void SetMainFrame(CMainFrame* frame);
    CMainFrame* MainFrame() const { return frame_; }

    MessageAnswer MessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                             MessageButtons buttons) override;
    void Beep(BeepKind kind) override;
    void SetPrompt(std::string_view text) override;
    void InvalidateView() override;
    std::optional<PrinterPaper> DefaultPrinterPaper() override;
    [[noreturn]] void TerminateProcess() override;
    std::optional<std::string> AskFileName(const FileDialogRequest& request) override;
    std::string ReadSetting(std::string_view section, std::string_view key) override;
    bool WriteSettings(std::string_view section,
                       const std::vector<std::pair<std::string, std::string>>& values) override;
    void CloseMainWindow() override;
    void SetCursor(CursorShape shape) override;
    void CaptureMouse() override;
    void ReleaseMouse() override;
    // Through xdg-open, the first on the PATH, whose own end is its answer; an end that
    // comes after kOpenerAnswerSeconds counts as success (xdg-open may run the browser
    // itself until the user closes it). Without xdg-open, Qt's opener, whose answer is
    // only whether it started.
    bool OpenWithDesktop(const std::string& path, ProgramEnded ended) override;
    static constexpr int kOpenerAnswerSeconds = 20;
    bool RunDialog(DialogModel& model) override;
    bool RunListDialog(ListDialogModel& model) override;
    std::optional<RgbColor> ChooseColor(RgbColor initial) override;
    PrintResult PrintPage(bool askFirst, const PageDrawing& drawPage) override;
    int PreviewPage(int pages, const PageDrawing& drawPage) override;
    void PrinterSetup() override;
    bool StartProgram(const ProgramLaunch& launch, ProgramEnded ended) override;
    // One picture window, shown again for each picture.
    bool ShowPicture(const std::string& path) override;
    CPictureWindow* PictureWindow() const;
    void WriteClipboard(const std::vector<ClipboardForm>& forms) override;
    std::optional<std::string> ReadClipboard(std::string_view mimeType) override;
    bool ClipboardHas(std::string_view mimeType) override;

    // The prompt line's text, also while no window shows it.
    const QString& Prompt() const { return prompt_; }

    // The printer the program prints on: made at first use for the system's default
    // printer, or for PDF files on A4 when the system has none; print set-up and the
    // print dialog change it.
    QPrinter& Printer();

  protected:
    // The parent for dialogs: the main window once it exists.
    QWidget* DialogParent() const;
    // Qt's print dialog before a job; true to print.
    virtual bool AskPrint(QPrinter& printer);
    // The printer and page set-up; true for OK.
    virtual bool AskPrinterSetup(QPrinter& printer);

  private:
    CMainFrame* frame_ = nullptr;
    QString prompt_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<CProgramRunner> runner_;
    QPointer<CPictureWindow> picture_;
};

// The organisation and application under which settings are kept.
inline constexpr const char* kSettingsOrganization = "HALVERN STUDIO";
inline constexpr const char* kSettingsApplication = "Marquetta";

}  // namespace marquetta
