// The commands that bring drawings in and out: DXF import and export, inserting
// another drawing file, and the rendered scene with its settings.
#include <cctype>

#include "app/app_controller.h"
#include "edit/editing_state.h"
#include "edit/zoom_fit.h"
#include "exchange/dxf_import.h"
#include "exchange/dxf_writer.h"
#include "exchange/insert_file.h"
#include "exchange/render_command.h"
#include "model/layers.h"
#include "model/render_settings.h"
#include "platform/command_ids.h"
#include "platform/platform.h"
#include "ui/render_settings_dialog.h"

namespace marquetta {
namespace {

// The export's name offered at first: the drawing's, its ".trn" made ".dxf"
// ("無題.dxf" for an untitled drawing).
std::string DxfExportName(const std::string& title) {
    std::string name = title;
    if (name.size() > 4) {
        std::string extension = name.substr(name.size() - 4);
        for (char& c : extension) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (extension == ".trn") {
            name.resize(name.size() - 4);
        }
    }
    return name + ".dxf";
}

void Show(const CommandMessage& message) {
    if (!message.empty()) {
        CurrentPlatform().MessageBox(message.text, message.caption, message.icon,
                                     MessageButtons::Ok);
    }
}

}  // namespace

void AppController::RegisterExchangeCommands() {
    const auto cancel = [this] { m_router.Execute(ID_CANCEL); };

    m_exchangeCommands.On(ID_DXF_IMPORT, [this, cancel] {
        Platform& platform = CurrentPlatform();
        FileDialogRequest request;
        request.defaultExtension = kDxfImportDefaultExtension;
        request.initialName = kDxfImportInitialName;
        const std::optional<std::string> path = AskFileName(request);
        if (!path) {
            return;
        }
        if (m_doc.IsModified()) {
            switch (platform.MessageBox(DxfImportSaveQuestion(m_doc), kAppTitle,
                                        MessageIcon::Exclamation, MessageButtons::YesNoCancel)) {
                case MessageAnswer::Yes:
                    // A drawing that could not be saved is not thrown away.
                    if (!Save()) {
                        return;
                    }
                    break;
                case MessageAnswer::No:
                    break;
                default:
                    return;
            }
        }
        platform.SetCursor(CursorShape::Wait);
        platform.CaptureMouse();
        const DxfImportResult result = [&] {
            UndoStep step(m_doc.History(), StepKind::DxfImport);
            return ImportDxfFile(m_doc, *path, cancel);
        }();
        platform.ReleaseMouse();
        platform.SetCursor(CursorShape::Arrow);
        if (result.replaced) {
            ForgetReplacedShapes();
            g_displayListValid = 0;
            // An imported drawing may lie anywhere and be of any size: show all of it.
            ZoomToFit(m_doc);
            platform.InvalidateView();
            platform.SetPrompt(DxfImportStatusText(result));
        }
        Show(result.message);
        // What the drawing could not hold, once the drawing is there to see.
        Show(DxfImportReportMessage(result));
    });

    m_exchangeCommands.On(ID_DXF_EXPORT, [this] {
        FileDialogRequest request;
        request.save = true;
        request.filter = kDxfExportFilter;
        request.defaultExtension = kDxfExportDefaultExtension;
        // A name typed with its extension replaces a file unasked; one that gains it in
        // the dialog is asked about.
        request.askBeforeReplacing = false;
        request.initialName = DxfExportName(m_doc.GetTitle());
        if (const std::optional<std::string> path = AskFileName(request)) {
            Show(ExportDxfFile(m_doc, *path).message);
        }
    });

    m_exchangeCommands.On(ID_INSERT_FILE, [this, cancel] {
        FileDialogRequest request;
        request.filter = kInsertFilter;
        request.initialName = kInsertInitialName;
        const std::optional<std::string> path = AskFileName(request);
        if (!path) {
            return;
        }
        const InsertResult result = [&] {
            UndoStep step(m_doc.History(), StepKind::Insert);
            InsertResult inserted = InsertDrawingFile(m_doc, *path, cancel);
            if (inserted.inserted) {
                // The inserted shapes are the selection; a file without shapes leaves
                // none.
                selectionExists = m_doc.AnySelected() ? 1 : 0;
            }
            return inserted;
        }();
        if (result.inserted) {
            g_displayListValid = 0;
            ZoomToFit(m_doc);
        }
        Show(result.message);
    });

    // The settings are saved with the drawing: changed, they are a change to it, one
    // step of the history. The view does not show them: no repaint.
    m_exchangeCommands.On(ID_RENDER_SETTINGS, [this] {
        const RenderSettings before = CurrentRenderSettings();
        UndoStep step(m_doc.History(), StepKind::RenderSettings);
        if (RunRenderSettingsDialog() && !(CurrentRenderSettings() == before)) {
            m_doc.SetModifiedFlag();
        }
    });
    m_exchangeCommands.On(ID_RENDER, [this] { RenderDrawing(m_doc); });
}

}  // namespace marquetta
