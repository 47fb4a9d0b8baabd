// A storm of random but valid user events on the real main window: keys of the
// accelerator table and the keys typed into the view, clicks, drags, wheel turns and
// menu commands, with every dialog answered at random by the platform below and any
// other modal window closed. After every thousand events the program is alive and
// paints, the picked and boundary lines point into the drawing or are null, the
// selection flag tells the truth, undo then redo and saving and reading back give the
// same drawing.
//
// MARQUETTA_STORM_EVENTS sets the number of events (10,000 by default),
// MARQUETTA_STORM_SEED the seed (printed at the start; by default a new one each run).
// Progress is printed every 5,000 events; Qt Test's limit on one test function is
// raised to what the events need (AllowTimeForTheStorm).
#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/app_controller.h"
#include "app/command_table.h"
#include "edit/editing_state.h"
#include "gui/key_translation.h"
#include "gui/main_frame.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/binary_file.h"
#include "model/layers.h"
#include "model/native_file.h"
#include "model/render_settings.h"
#include "platform/command_ids.h"
#include "platform/keys.h"

namespace marquetta {
namespace {

using Random = std::mt19937_64;

size_t Below(Random& random, size_t n) {
    return std::uniform_int_distribution<size_t>(0, n - 1)(random);
}

// Dialogs answered as a hurried user would: any button of a message box, a name in the
// storm's folder for a file dialog (an existing file of the kind asked for when
// opening), OK with the shown or a random value in the first field, clicks in lists.
class StormPlatform : public TestPlatform {
  public:
    StormPlatform(Random& random, std::string folder)
        : random_(random), folder_(std::move(folder)) {}

    MessageAnswer MessageBox(std::string_view, std::string_view, MessageIcon,
                             MessageButtons buttons) override {
        ++answered;
        switch (buttons) {
            case MessageButtons::Ok:
                return MessageAnswer::Ok;
            case MessageButtons::OkCancel:
                return Below(random_, 2) ? MessageAnswer::Ok : MessageAnswer::Cancel;
            case MessageButtons::YesNo:
                return Below(random_, 2) ? MessageAnswer::Yes : MessageAnswer::No;
            case MessageButtons::YesNoCancel:
                break;
        }
        const MessageAnswer answers[] = {MessageAnswer::Yes, MessageAnswer::No,
                                         MessageAnswer::Cancel};
        return answers[Below(random_, 3)];
    }

    std::optional<std::string> AskFileName(const FileDialogRequest& request) override {
        ++answered;
        if (Below(random_, 4) == 0) {
            return std::nullopt;
        }
        const std::string extension =
            request.defaultExtension.empty() ? "trn" : request.defaultExtension;
        const std::string path = folder_ + "/storm" + std::to_string(Below(random_, 2)) + "." +
                                 extension;
        if (!request.save && !std::filesystem::exists(path)) {
            return std::nullopt;
        }
        return path;
    }

    bool RunDialog(DialogModel& model) override {
        static const char* const kValues[] = {"0", "1", "-5", "455", "910", "3000",
                                              "1e9", "abc", "", "12.5", "@100,200"};
        ++answered;
        if (Below(random_, 3) == 0) {
            return false;
        }
        std::vector<DialogField>& fields = model.Fields();
        if (!fields.empty() && fields[0].kind != DialogField::Kind::ColorButton &&
            Below(random_, 2) == 0) {
            fields[0].text = kValues[Below(random_, std::size(kValues))];
        }
        return !model.Validate().has_value();
    }

    bool RunListDialog(ListDialogModel& model) override {
        ++answered;
        for (int clicks = static_cast<int>(Below(random_, 4)); clicks > 0; --clicks) {
            const std::vector<ListDialogItem> items = model.Items();
            if (items.empty()) {
                break;
            }
            const int item = static_cast<int>(Below(random_, items.size()));
            if (Below(random_, 2)) {
                model.Click(item);
            } else {
                model.DoubleClick(item);
            }
        }
        return Below(random_, 2) == 1;
    }

    std::optional<RgbColor> ChooseColor(RgbColor) override {
        if (Below(random_, 2) == 0) {
            return std::nullopt;
        }
        return RgbColor{static_cast<uint8_t>(Below(random_, 256)),
                        static_cast<uint8_t>(Below(random_, 256)),
                        static_cast<uint8_t>(Below(random_, 256))};
    }

    // The manual, pictures and the renderer stay closed; the window stays open.
    bool OpenWithDesktop(const std::string&, ProgramEnded) override { return false; }
    bool ShowPicture(const std::string&) override { return false; }
    bool StartProgram(const ProgramLaunch&, ProgramEnded) override { return false; }
    void CloseMainWindow() override {}

    size_t answered = 0;  // dialogs and message boxes

  private:
    Random& random_;
    std::string folder_;
};

// Every command of the menus but those that end the program or leave it: the direct
// print sends a page to the system's printer.
std::vector<int> MenuCommands() {
    std::vector<int> ids;
    std::vector<const MenuItem*> pending;
    for (const MenuItem& item : MainMenu()) {
        pending.push_back(&item);
    }
    while (!pending.empty()) {
        const MenuItem* item = pending.back();
        pending.pop_back();
        for (const MenuItem& child : item->children) {
            pending.push_back(&child);
        }
        if (item->kind == MenuItem::Kind::Command && item->id != ID_APP_EXIT &&
            item->id != ID_FILE_PRINT_DIRECT) {
            ids.push_back(item->id);
        }
    }
    return ids;
}

struct Key {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
};

// The accelerator table's keys, and the keys the view reads itself: digits, signs and
// separators of typed coordinates, arrows and paging, Return and Backspace.
std::vector<Key> StormKeys() {
    std::vector<Key> keys;
    for (const Accelerator& a : AcceleratorTable()) {
        int qtKey = 0;
        if (a.character || (a.key >= 'A' && a.key <= 'Z') || (a.key >= '0' && a.key <= '9')) {
            qtKey = a.key;
        } else {
            for (int k = Qt::Key_Escape; k <= Qt::Key_F12 && qtKey == 0; ++k) {
                qtKey = CoreKeyCode(k) == a.key ? k : 0;
            }
        }
        Qt::KeyboardModifiers modifiers;
        modifiers.setFlag(Qt::ShiftModifier, (a.modifiers & MOD_SHIFT) != 0);
        modifiers.setFlag(Qt::ControlModifier, (a.modifiers & MOD_CTRL) != 0);
        modifiers.setFlag(Qt::AltModifier, (a.modifiers & MOD_ALT) != 0);
        if (qtKey != 0) {
            keys.push_back({qtKey, modifiers});
        }
    }
    for (const int k : {Qt::Key_0, Qt::Key_1, Qt::Key_5, Qt::Key_9, Qt::Key_Minus, Qt::Key_Comma,
                        Qt::Key_Period, Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Left,
                        Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp,
                        Qt::Key_PageDown, Qt::Key_Home}) {
        keys.push_back({k, Qt::NoModifier});
    }
    return keys;
}

// The drawing saved and read back, apart from the program's state: the same shapes and
// the same layers. Empty when it is; otherwise what differs.
std::string SaveAndReadBack(CZorader_ezDoc& doc, const std::string& path) {
    CZorader_ezDoc copy;
    for (const auto& shape : doc.m_shapes) {
        copy.AppendShape(std::make_unique<CShape>(*shape));
    }
    if (!SaveDrawingFile(copy, path).ok()) {
        return "the drawing could not be saved";
    }
    BinaryReader reader;
    DrawingFileContents contents;
    if (reader.Open(path) != FileError::None ||
        ReadDrawingContents(reader, contents) != FileError::None) {
        return "the saved drawing could not be read";
    }
    if (contents.shapes.size() != doc.m_shapes.size()) {
        return "read back " + std::to_string(contents.shapes.size()) + " shapes of " +
               std::to_string(doc.m_shapes.size());
    }
    size_t i = 0;
    for (const auto& shape : doc.m_shapes) {
        CShape read = contents.shapes[i];
        read.m_bSelected = shape->m_bSelected;  // a selection is not stored
        if (!(read == *shape)) {
            return "shape " + std::to_string(i) + " read back otherwise";
        }
        ++i;
    }
    if (contents.layers.size() != static_cast<size_t>(g_layerCount)) {
        return "read back " + std::to_string(contents.layers.size()) + " layers of " +
               std::to_string(g_layerCount);
    }
    for (size_t l = 0; l < contents.layers.size(); ++l) {
        const StoredLayer& layer = contents.layers[l];
        // Bit for bit: a -0.0 read back as 0.0 would be a change.
        if (layer.name != g_layerNames[l] || layer.texture != g_layerTextures[l] ||
            std::memcmp(layer.attributes.data(), g_layerAttributes[l].data(),
                        sizeof layer.attributes) != 0) {
            return "layer " + std::to_string(l) + " (" + g_layerNames[l] + ") read back otherwise";
        }
    }
    const double settings[] = {g_sunNorth, g_sunSeason, g_sunLatitude, g_sunHour};
    const double readSettings[] = {contents.north, contents.season, contents.latitude,
                                   contents.hour};
    if (contents.sky != g_skyTexture || contents.ground != g_groundTexture ||
        std::memcmp(settings, readSettings, sizeof settings) != 0) {
        return "the rendering settings read back otherwise";
    }
    return {};
}

// The shapes without their selection flags (the Esc before an undo may have cleared
// them after the step), and the whole layer table.
struct DrawingState {
    std::vector<CShape> shapes;
    int layerCount = g_layerCount;
    decltype(g_layerNames) layerNames = g_layerNames;
    decltype(g_layerAttributes) layerAttributes = g_layerAttributes;
    decltype(g_layerTextures) layerTextures = g_layerTextures;

    explicit DrawingState(const CZorader_ezDoc& doc) {
        for (const auto& shape : doc.m_shapes) {
            shapes.push_back(*shape);
            shapes.back().m_bSelected = 0;
        }
    }
    bool operator==(const DrawingState&) const = default;
};

// Undo then redo, as the user gives them (each first ends the running command, as Esc
// does), gives the same drawing; empty when it does.
std::string UndoRedoChanges(GuiSession& s) {
    CZorader_ezDoc& doc = s.App().Document();
    s.Frame().RunCommand(ID_CANCEL);
    if (!doc.History().CanUndo()) {
        return {};
    }
    const DrawingState before(doc);
    s.Frame().RunCommand(ID_EDIT_UNDO);
    s.Frame().RunCommand(ID_EDIT_REDO);
    return DrawingState(doc) == before ? std::string() : "undo then redo changed the drawing";
}

// The window is there and paints; the pointers and the selection flag tell the truth.
std::string BrokenPointerOrFlag(GuiSession& s) {
    CZorader_ezDoc& doc = s.App().Document();
    if (!s.Frame().isVisible()) {
        return "the main window has gone";
    }
    if (s.Grab().isNull()) {
        return "the view no longer paints";
    }
    bool pickedFound = pickedLine == nullptr;
    bool boundaryFound = boundaryLine == nullptr;
    for (const auto& shape : doc.m_shapes) {
        pickedFound = pickedFound || shape.get() == pickedLine;
        boundaryFound = boundaryFound || shape.get() == boundaryLine;
    }
    // Only a flag of 1 selects: a file may hold other values.
    const bool anySelected = doc.AnySelected();
    if (!pickedFound) {
        return "pickedLine points outside the drawing";
    }
    if (!boundaryFound) {
        return "boundaryLine points outside the drawing";
    }
    if ((selectionExists != 0) != anySelected) {
        return "selectionExists is " + std::to_string(selectionExists) + " with " +
               (anySelected ? "shapes" : "no shape") + " selected";
    }
    return {};
}

// What must hold between any two events; empty when it does.
std::string BrokenInvariant(GuiSession& s, const std::string& copyPath) {
    // First as the events left the program, a command perhaps half done; then after the
    // Esc that undo and redo begin with.
    if (std::string broken = BrokenPointerOrFlag(s); !broken.empty()) {
        return broken;
    }
    if (std::string changed = UndoRedoChanges(s); !changed.empty()) {
        return changed;
    }
    if (std::string broken = BrokenPointerOrFlag(s); !broken.empty()) {
        return broken + " after undo and redo";
    }
    return SaveAndReadBack(s.App().Document(), copyPath);
}


size_t FromEnvironment(const char* name, size_t otherwise) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : otherwise;
}

size_t StormEvents() {
    return FromEnvironment("MARQUETTA_STORM_EVENTS", 10000);
}

// How often the storm says how far it has come.
constexpr size_t kProgressEvents = 5000;
// Copies of copies double the drawing: past this many shapes each event is an undo
// instead, so that the storm tries the program and not the memory of the machine (one
// run of 10,000 events grew to 16 GB and ran past its time limit).
constexpr size_t kMostStormShapes = 200000;

}  // namespace

void AllowTimeForTheStorm() {
    if (std::getenv("QTEST_FUNCTION_TIMEOUT") != nullptr) {
        return;  // the user's own limit
    }
    const size_t milliseconds =
        std::max<size_t>(kQtFunctionLimitMs, StormEvents() * kStormMillisecondsPerEvent);
    setenv("QTEST_FUNCTION_TIMEOUT", std::to_string(milliseconds).c_str(), 1);
}

class StormTest : public QObject {
    Q_OBJECT

  private slots:
    void randomEventsKeepTheDrawingSound() {
        const uint64_t seed = FromEnvironment(
            "MARQUETTA_STORM_SEED",
            static_cast<size_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
        const size_t events = StormEvents();
        qInfo("storm: %zu events, seed %llu (MARQUETTA_STORM_SEED=%llu replays it)", events,
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
        Random random(seed);
        TempFolder folder;
        const auto started = std::chrono::steady_clock::now();

        GuiSession s;
        QVERIFY(s.started);
        // The storm's platform answers in place of the session's, showing its prompts
        // and repaints in the same window.
        StormPlatform platform(random, folder.Path("files"));
        std::filesystem::create_directory(folder.Path("files"));
        platform.SetMainFrame(&s.Frame());
        SetCurrentPlatform(&platform);
        // Files the program writes where it runs (the renderer's scene) go to the
        // storm's folder. Both are put back however the test ends.
        const std::filesystem::path startFolder = std::filesystem::current_path();
        std::filesystem::current_path(folder.Path("files"));
        const std::shared_ptr<void> restore(nullptr, [&](void*) {
            std::filesystem::current_path(startFolder);
            platform.SetMainFrame(nullptr);
            SetCurrentPlatform(&s.platform);
        });
        // Any modal window the platform does not answer (a preview, an about box) is
        // closed as soon as the program waits in it.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
        closer.start(10);

        const std::vector<int> commands = MenuCommands();
        const std::vector<Key> keys = StormKeys();
        CViewWidget& view = s.View();
        auto somewhere = [&] {
            return QPoint(static_cast<int>(Below(random, static_cast<size_t>(view.width()))),
                          static_cast<int>(Below(random, static_cast<size_t>(view.height()))));
        };
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::LeftButton, Qt::LeftButton,
                                           Qt::RightButton, Qt::MiddleButton};
        std::string last;
        size_t mostShapes = 0;
        for (size_t n = 1; n <= events; ++n) {
            const size_t event = s.App().Document().m_shapes.size() > kMostStormShapes
                                     ? 10
                                     : Below(random, 10);
            switch (event) {
                case 0:
                case 1:
                case 2: {
                    const Key& key = keys[Below(random, keys.size())];
                    last = "key " + std::to_string(key.qtKey);
                    QTest::keyClick(&view, static_cast<Qt::Key>(key.qtKey), key.modifiers);
                    break;
                }
                case 3:
                case 4:
                case 5: {
                    const QPoint p = somewhere();
                    last = "click";
                    QTest::mouseMove(&view, p);
                    QTest::mouseClick(&view, buttons[Below(random, std::size(buttons))],
                                      Qt::NoModifier, p);
                    break;
                }
                case 6: {
                    const QPoint from = somewhere();
                    const QPoint to = somewhere();
                    const Qt::MouseButton button = buttons[Below(random, std::size(buttons))];
                    last = "drag";
                    QTest::mousePress(&view, button, Qt::NoModifier, from);
                    QTest::mouseMove(&view, (from + to) / 2);
                    QTest::mouseMove(&view, to);
                    QTest::mouseRelease(&view, button, Qt::NoModifier, to);
                    break;
                }
                case 7: {
                    last = "move";
                    QTest::mouseMove(&view, somewhere());
                    break;
                }
                case 8: {
                    const QPoint p = somewhere();
                    const int steps = Below(random, 2) ? 120 : -120;
                    last = "wheel";
                    QWheelEvent wheel(p, view.mapToGlobal(p), QPoint(), QPoint(0, steps),
                                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                    QApplication::sendEvent(&view, &wheel);
                    break;
                }
                case 10: {
                    last = "undo of a drawing grown too large";
                    s.Frame().UpdateCommandUi();
                    if (QAction* action = s.Frame().Action(ID_EDIT_UNDO);
                        action && action->isEnabled()) {
                        action->trigger();
                    }
                    break;
                }
                default: {
                    const int id = commands[Below(random, commands.size())];
                    last = "command " + std::to_string(id);
                    s.Frame().UpdateCommandUi();
                    if (QAction* action = s.Frame().Action(id); action && action->isEnabled()) {
                        action->trigger();
                    }
                    break;
                }
            }
            if (n % 20 == 0) {
                QApplication::processEvents();
            }
            if (n % 1000 == 0 || n == events) {
                mostShapes = std::max(mostShapes, s.App().Document().m_shapes.size());
                const std::string broken = BrokenInvariant(s, folder.Path("copy.trn"));
                QVERIFY2(broken.empty(), ("after event " + std::to_string(n) + " (" + last +
                                          "), seed " + std::to_string(seed) + ": " + broken)
                                             .c_str());
            }
            if (n % kProgressEvents == 0 && n < events) {
                const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                                         std::chrono::steady_clock::now() - started)
                                         .count();
                qInfo("storm: %zu of %zu events after %lld s, about %lld s to go", n, events,
                      static_cast<long long>(seconds),
                      static_cast<long long>(seconds * static_cast<long long>(events - n) /
                                             static_cast<long long>(n)));
            }
        }
        qInfo("storm: %zu events in %lld s, up to %zu shapes, %zu dialogs answered", events,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(
                                         std::chrono::steady_clock::now() - started)
                                         .count()),
              mostShapes, platform.answered);
    }
};

std::unique_ptr<QObject> MakeStormTest() {
    return std::make_unique<StormTest>();
}

}  // namespace marquetta

#include "storm_test.moc"
