// The core's desktop services with Qt: message boxes, the prompt line of the status
// dialog bar, repaints of the view, the printer's paper, file dialogs and the user's
// settings under "HALVERN STUDIO/Marquetta".
#pragma once

#include <QString>
#include <functional>

#include "platform/platform.h"

class QWidget;

namespace marquetta {

class CMainFrame;

class QtPlatform : public Platform {
  public:
    QtPlatform();

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
    void WriteSetting(std::string_view section, std::string_view key,
                      std::string_view value) override;
    void CloseMainWindow() override;
    void SetCursor(CursorShape shape) override;
    void CaptureMouse() override;
    void ReleaseMouse() override;
    bool OpenWithDesktop(const std::string& path) override;
    bool RunDialog(DialogModel& model) override;

    // The prompt line's text, also while no window shows it.
    const QString& Prompt() const { return prompt_; }

  protected:
    // The parent for dialogs: the main window once it exists.
    QWidget* DialogParent() const;

  private:
    CMainFrame* frame_ = nullptr;
    QString prompt_;
};

// The organisation and application under which settings are kept.
inline constexpr const char* kSettingsOrganization = "HALVERN STUDIO";
inline constexpr const char* kSettingsApplication = "Marquetta";

}  // namespace marquetta
