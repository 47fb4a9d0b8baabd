#include "app/edit_commands.h"

#include "app/app_controller.h"
#include "app/command_table.h"
#include "edit/command_state.h"
#include "edit/editing_state.h"
#include "edit/modify_commands.h"
#include "exchange/command_message.h"
#include "exchange/dxf_writer.h"
#include "exchange/insert_file.h"
#include "model/cp932.h"
#include "model/native_file.h"

namespace marquetta {
namespace {

// "元に戻す(&U)" + " 移動" + "\tCtrl+Z": the step goes between the name and the keys.
std::string NamedCaption(int command, std::optional<StepKind> step) {
    std::string caption = FindCommand(command)->caption;
    if (step) {
        const size_t tab = caption.find('\t');
        caption.insert(tab == std::string::npos ? caption.size() : tab,
                       std::string(" ") + StepName(*step));
    }
    return caption;
}

// The selected shapes that a paste can take; the others are counted into `leftOut`,
// with why the first of them cannot go.
std::vector<const CShape*> SelectedShapes(const CZorader_ezDoc& doc, size_t& leftOut,
                                          std::string& why) {
    std::vector<const CShape*> shapes;
    for (const auto& shape : doc.m_shapes) {
        if (!shape->IsSelected()) {
            continue;
        }
        if (std::string problem = ClipboardShapeProblem(*shape); !problem.empty()) {
            if (leftOut++ == 0) {
                why = std::move(problem);
            }
            continue;
        }
        shapes.push_back(shape.get());
    }
    return shapes;
}

}  // namespace

std::string UndoCaption(std::optional<StepKind> step) {
    return NamedCaption(ID_EDIT_UNDO, step);
}

std::string RedoCaption(std::optional<StepKind> step) {
    return NamedCaption(ID_EDIT_REDO, step);
}

std::string CopyLeftOutPrompt(size_t count, const std::string& why) {
    return "ｺﾋﾟｰしなかった図形が " + std::to_string(count) + " 個あります（" + why + "）";
}

// Every selected shape, whatever its layer: what erase would take away. Those that no
// paste would take are left out, and the prompt line says so.
void AppController::CopySelectionToClipboard() {
    size_t leftOut = 0;
    std::string why;
    const std::vector<const CShape*> shapes = SelectedShapes(m_doc, leftOut, why);
    if (leftOut > 0) {
        CurrentPlatform().SetPrompt(CopyLeftOutPrompt(leftOut, why));
    }
    if (shapes.empty()) {
        return;
    }
    CurrentPlatform().WriteClipboard(
        {{kShapesMimeType, ShapesToBytes(shapes)}, {kPlainText, Cp932ToUtf8(DxfText(shapes))}});
}

void AppController::RegisterEditCommands() {
    UndoHistory& history = m_doc.History();
    // Both first end whatever command runs, as Esc would, then repaint what they put back.
    m_documentCommands.On(
        ID_EDIT_UNDO,
        [this, &history] {
            EndRunningCommand(m_doc);
            history.Undo();
            CurrentPlatform().InvalidateView();
        },
        [&history](CommandUi& ui) {
            ui.Enable(history.CanUndo());
            ui.SetText(UndoCaption(history.NextUndo()));
        });
    m_documentCommands.On(
        ID_EDIT_REDO,
        [this, &history] {
            EndRunningCommand(m_doc);
            history.Redo();
            CurrentPlatform().InvalidateView();
        },
        [&history](CommandUi& ui) {
            ui.Enable(history.CanRedo());
            ui.SetText(RedoCaption(history.NextRedo()));
        });

    m_documentCommands.On(
        ID_EDIT_COPY, [this] { CopySelectionToClipboard(); },
        [](CommandUi& ui) { ui.Enable(selectionExists == 1); });
    // The selection goes to the clipboard as with copy, then erase takes it away: the
    // erase is the one step of the history.
    m_documentCommands.On(ID_EDIT_CUT, [this] {
        CopySelectionToClipboard();
        m_router.Execute(ID_ERASE);
    });

    m_documentCommands.On(
        ID_EDIT_PASTE,
        [this, &history] {
            Platform& platform = CurrentPlatform();
            // Read and checked whole before anything changes: the bytes may come from
            // any program.
            const std::optional<std::string> bytes = platform.ReadClipboard(kShapesMimeType);
            DrawingFileContents contents;
            if (!bytes || ReadDrawingBytes(*bytes, contents) != FileError::None ||
                contents.banner != g_fileBanner) {
                platform.MessageBox(kPasteRefusedMessage, kWarningCaption,
                                    MessageIcon::Exclamation, MessageButtons::Ok);
                return;
            }
            if (const std::string problem = ClipboardContentsProblem(contents);
                !problem.empty()) {
                platform.MessageBox(std::string(kPasteRefusedMessage) + "\n" + problem,
                                    kWarningCaption, MessageIcon::Exclamation,
                                    MessageButtons::Ok);
                return;
            }
            if (contents.shapes.empty()) {
                return;
            }
            const Float3 base = contents.shapes.front().m_pt[0];
            // Shapes still being placed from an earlier paste stay where they are.
            EndAnyPastePlacement(m_doc);
            {
                UndoStep step(history, StepKind::Paste);
                m_router.Execute(ID_CANCEL);
                InsertResult merged;
                MergeDrawingContents(m_doc, contents, merged);
                selectionExists = 1;
            }
            // The pasted shapes follow the cursor from their first point until a click
            // places them; that placing belongs to the paste's step.
            StartPastePlacement(base);
            platform.InvalidateView();
        },
        [](CommandUi& ui) { ui.Enable(CurrentPlatform().ClipboardHas(kShapesMimeType)); });
}

}  // namespace marquetta
