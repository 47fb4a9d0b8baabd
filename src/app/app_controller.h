// The program without its windows: the document and its view, the command targets of
// the document, the main frame and the application, and the routing between them.
// The desktop creates one, forwards commands and asks it for menu states, captions
// and the window title.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/recent_files.h"
#include "edit/view.h"
#include "model/document.h"
#include "platform/command_target.h"
#include "platform/platform.h"

namespace marquetta {

inline constexpr const char* kAppTitle = "Marquetta";
inline constexpr const char* kDrawingFilter = "Marquetta Files (*.trn)|*.trn||";

class AppController {  // NOLINT(cppcoreguidelines-special-member-functions): not copyable, frees nothing by hand
public:
    AppController();
    AppController(const AppController&) = delete;
    AppController& operator=(const AppController&) = delete;

    // The command line: nothing for a new drawing, or one drawing file to open. False
    // when that file cannot be opened (the user has been told) and the program ends.
    // A system without the CP932 converter is reported first; the program goes on.
    bool Start(const std::vector<std::string>& args);

    CZorader_ezDoc& Document() { return m_doc; }
    CZorader_ezView& View() { return m_view; }

    // Routed through view, document, main frame and application.
    bool Execute(int id) { return m_router.Execute(id); }
    CommandUi Query(int id) const { return m_router.Query(id); }

    // "無題 - Marquetta", "plan.trn - Marquetta".
    std::string WindowTitle() const;

    // Before the drawing is discarded: asks whether to save a modified drawing.
    // False when the user cancels or the save fails.
    bool SaveModified();
    // Opens a drawing file, telling the user what failed. False on failure.
    bool OpenDocumentFile(const std::string& path);
    const RecentFileList& RecentFiles() const { return m_recent; }
    // The recent files' menu captions, relative to the folder the file dialogs start in.
    std::vector<std::string> RecentFileCaptions() const;
    // Shows a file dialog where the program's file dialogs start (FileDialogFolder).
    std::optional<std::string> AskFileName(const FileDialogRequest& request) const;

private:
    void RegisterDocumentCommands();
    void RegisterFrameCommands();
    void RegisterApplicationCommands();
    void RegisterExchangeCommands();
    void RegisterEditCommands();
    void CopySelectionToClipboard();
    // Opens without asking about the current drawing.
    bool LoadDocument(const std::string& path);
    // After the drawing was replaced (New, Open): ends a modify command or a paste that
    // was under way.
    void EndModifyCommand();
    bool Save();
    bool SaveAs();
    bool SaveTo(const std::string& path);
    void ShowFileError(const std::string& message);

    CZorader_ezDoc m_doc;
    CZorader_ezView m_view;
    CommandTarget m_exchangeCommands;
    CommandTarget m_documentCommands;
    CommandTarget m_frameCommands;
    CommandTarget m_applicationCommands;
    CommandRouter m_router;
    RecentFileList m_recent;
};

}  // namespace marquetta
