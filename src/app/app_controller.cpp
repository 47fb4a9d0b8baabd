#include "app/app_controller.h"

#include <cstdio>
#include <filesystem>
#include <iterator>

#include "app/command_table.h"
#include "app/dialog_commands.h"
#include "app/print_commands.h"
#include "edit/command_state.h"
#include "edit/editing_state.h"
#include "edit/snap_settings.h"
#include "model/cp932.h"
#include "model/layers.h"
#include "model/native_file.h"
#include "platform/platform.h"
#include "ui/dimension_settings_dialog.h"
#include "ui/help.h"
#include "view/sheet.h"
#include "view/wireframe_layout.h"

namespace marquetta {

AppController::AppController() : m_view(m_doc) {
    RegisterDocumentCommands();
    RegisterFrameCommands();
    RegisterApplicationCommands();
    RegisterExchangeCommands();
    RegisterEditCommands();
    // Help is the view's command; no target before the application's knows it.
    RegisterDialogCommands(m_frameCommands, m_applicationCommands);
    // Printing, preview and set-up are the view's, ahead of anything after it.
    RegisterPrintCommands(m_exchangeCommands, m_doc);
    // The exchange commands belong to the view; they follow its own target.
    m_router.SetChain({&m_view.Commands(), &m_exchangeCommands, &m_documentCommands,
                       &m_frameCommands, &m_applicationCommands});
    m_recent.Load();
}

bool AppController::Start(const std::vector<std::string>& args) {
    if (!Cp932Available()) {
        CurrentPlatform().MessageBox(kCp932MissingMessage, kAppTitle, MessageIcon::Exclamation,
                                     MessageButtons::Ok);
    }
    LoadColorByLayerSetting();
    LoadSnapSettings();
    LoadDimensionSettings();
    if (args.empty()) {
        m_doc.NewDrawing();
        return true;
    }
    return OpenDocumentFile(args.front());
}

std::vector<std::string> AppController::RecentFileCaptions() const {
    return m_recent.Captions(FileDialogFolder(CurrentPlatform(), m_doc.GetPathName()));
}

std::optional<std::string> AppController::AskFileName(const FileDialogRequest& request) const {
    return AskFileNameFrom(CurrentPlatform(), request, m_doc.GetPathName());
}

std::string AppController::WindowTitle() const { return m_doc.GetTitle() + " - " + kAppTitle; }

void AppController::ShowFileError(const std::string& message) {
    CurrentPlatform().MessageBox(message, kAppTitle, MessageIcon::Exclamation, MessageButtons::Ok);
}

bool AppController::SaveModified() {
    if (!m_doc.IsModified()) {
        return true;
    }
    const std::string question = m_doc.GetTitle() + " への変更を保存しますか？";
    switch (CurrentPlatform().MessageBox(question, kAppTitle, MessageIcon::Exclamation,
                                         MessageButtons::YesNoCancel)) {
        case MessageAnswer::Yes:
            return Save();
        case MessageAnswer::No:
            return true;
        default:
            return false;
    }
}

bool AppController::OpenDocumentFile(const std::string& path) {
    return SaveModified() && LoadDocument(path);
}

bool AppController::LoadDocument(const std::string& path) {
    const LoadResult result = LoadDrawingFile(m_doc, path);
    if (!result.ok()) {
        // Either the drawing is as it was, or a part-way failure left a new, untitled one.
        if (m_doc.m_shapes.empty()) {
            ForgetReplacedShapes();
        }
        ShowFileError(result.message);
        CurrentPlatform().InvalidateView();
        return false;
    }
    ForgetReplacedShapes();
    EndModifyCommand();
    m_doc.History().Clear();
    m_doc.ChooseCurrentLayer(kDefaultCurrentLayer);
    selectionExists = 0;
    for (const auto& shape : m_doc.m_shapes) {
        if (shape->IsSelected()) {
            selectionExists = 1;
            break;
        }
    }
    g_displayListValid = 0;
    m_recent.Add(m_doc.GetPathName());
    CurrentPlatform().InvalidateView();
    return true;
}

void AppController::EndModifyCommand() {
    // A move, copy, offset, stretch or paste under way would act on the new drawing's
    // shapes with the old drawing's points. A draw command goes on: it only adds.
    if (editState != EDIT_IDLE || pastePlacing == 1) {
        EndRunningCommand(m_doc);
    }
}

bool AppController::SaveTo(const std::string& path) {
    const FileResult result = SaveDrawingFile(m_doc, path);
    if (!result.ok()) {
        ShowFileError(result.message);
        return false;
    }
    m_doc.History().MarkSaved();
    m_recent.Add(m_doc.GetPathName());
    return true;
}

bool AppController::Save() {
    return m_doc.GetPathName().empty() ? SaveAs() : SaveTo(m_doc.GetPathName());
}

bool AppController::SaveAs() {
    FileDialogRequest request;
    request.save = true;
    request.filter = kDrawingFilter;
    request.defaultExtension = "trn";
    request.initialName = m_doc.GetTitle();
    request.foreignExtensions.assign(std::begin(kOtherFormatExtensions),
                                     std::end(kOtherFormatExtensions));
    for (;;) {
        const std::optional<std::string> path = AskFileName(request);
        if (!path) {
            return false;
        }
        // The dialog adds ".trn" to a name of another format; so does the save, whatever
        // the dialog did.
        const std::string name = NativeFileName(*path);
        if (SaveTo(name)) {
            return true;
        }
        // The user has been told why; the dialog opens again on that name, so that
        // another folder or name can be chosen.
        const std::filesystem::path failed(name);
        request.folder = failed.has_parent_path() ? failed.parent_path().string() : ".";
        request.initialName = failed.filename().string();
    }
}

void AppController::RegisterDocumentCommands() {
    m_documentCommands.On(ID_FILE_SAVE, [this] { Save(); });
    m_documentCommands.On(ID_FILE_SAVE_AS, [this] { SaveAs(); });
    m_documentCommands.On(ID_EDIT_SELECT_ALL, [this] {
        m_doc.SelectAllVisible();
        // Only when something is selected: with every shape on hidden layers, or none
        // at all, the commands that wait for no selection (line, offset, stretch) must
        // not be locked out.
        selectionExists = m_doc.AnySelected() ? 1 : 0;
        CurrentPlatform().InvalidateView();
    });
}

void AppController::RegisterFrameCommands() {
    m_frameCommands.On(
        ID_SNAP_TOGGLE, [] { g_snapOn = !g_snapOn; },
        [](CommandUi& ui) { ui.SetText(g_snapOn == 1 ? "SNP_ON" : "snp_off"); });
    m_frameCommands.On(
        ID_GRID_TOGGLE,
        [] {
            g_gridOn = !g_gridOn;
            CurrentPlatform().InvalidateView();
        },
        [](CommandUi& ui) {
            char caption[32];
            std::snprintf(caption, sizeof caption, "GRD:%d", static_cast<int>(g_gridPitch));
            ui.SetText(g_gridOn == 1 ? caption : "grd_off");
        });
}

void AppController::RegisterApplicationCommands() {
    m_applicationCommands.On(ID_FILE_NEW, [this] {
        if (!SaveModified()) {
            return;
        }
        m_doc.NewDrawing();
        ForgetReplacedShapes();
        EndModifyCommand();
        selectionExists = 0;
        CurrentPlatform().InvalidateView();
    });
    m_applicationCommands.On(ID_FILE_OPEN, [this] {
        FileDialogRequest request;
        request.filter = kDrawingFilter;
        request.defaultExtension = "trn";
        if (const std::optional<std::string> path = AskFileName(request)) {
            OpenDocumentFile(*path);
        }
    });
    for (int i = 0; i < kRecentFileCount; ++i) {
        m_applicationCommands.On(
            ID_FILE_MRU_FIRST + i,
            [this, i] {
                const size_t index = static_cast<size_t>(i);
                if (index >= m_recent.Files().size()) {
                    return;
                }
                const std::string path = m_recent.Files()[index];
                // A file that cannot be opened leaves the list.
                if (SaveModified() && !LoadDocument(path)) {
                    m_recent.Remove(path);
                }
            },
            [this, i](CommandUi& ui) {
                ui.Enable(static_cast<size_t>(i) < m_recent.Files().size());
            });
    }
    m_applicationCommands.On(ID_APP_EXIT, [this] {
        if (SaveModified()) {
            CurrentPlatform().CloseMainWindow();
        }
    });
    m_applicationCommands.On(ID_APP_ABOUT, [] {
        CurrentPlatform().MessageBox(AboutText(), "Marquetta のﾊﾞｰｼﾞｮﾝ情報",
                                     MessageIcon::Information, MessageButtons::Ok);
    });
}

}  // namespace marquetta
