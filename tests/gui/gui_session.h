// What the GUI tests share: a platform that answers the dialogs from queues and records
// what it was asked, a running program with its main window on screen, and pixel
// helpers for the view's pictures.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/program_instance.h"
#include "gui/qt_platform.h"

class QWidget;

namespace marquetta {

class AppController;
class CMainFrame;
class CViewWidget;

// The desktop platform with message boxes, file dialogs, modal dialogs, the colour
// chooser and the print dialogs answered by the test. Unanswered message boxes get
// their default button, file dialogs, modal dialogs, colour choosers and print dialogs
// are cancelled. With showDialogs set the modal dialogs show for real, for a test that
// types into them.
class TestPlatform : public QtPlatform {
  public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
        MessageButtons buttons;
    };

    MessageAnswer MessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                             MessageButtons buttons) override;
    std::optional<std::string> AskFileName(const FileDialogRequest& request) override;
    bool RunDialog(DialogModel& model) override;
    bool RunListDialog(ListDialogModel& model) override;
    std::optional<RgbColor> ChooseColor(RgbColor initial) override;

    std::deque<MessageAnswer> answers;
    std::deque<std::optional<std::string>> fileNames;
    std::vector<Message> messages;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<std::string> dialogTitles;  // modal and list dialogs, in order
    std::deque<std::optional<RgbColor>> colors;
    bool showDialogs = false;
    // With showFileDialogs set the file dialogs show for real too (still recorded).
    bool showFileDialogs = false;

    // One answer to the print dialog or the printer set-up: it may change the printer
    // as the user would (print to a PDF file, turn the paper) and says whether the
    // user pressed OK.
    using PrinterAnswer = std::function<bool(QPrinter&)>;
    std::deque<PrinterAnswer> printAnswers;
    std::deque<PrinterAnswer> setupAnswers;
    int printDialogsShown = 0;
    int setupDialogsShown = 0;

  protected:
    bool AskPrint(QPrinter& printer) override;
    bool AskPrinterSetup(QPrinter& printer) override;
};

// An answer for TestPlatform's print dialogs: the PDF file printer on A4 in the
// orientation given, printing into `path` (none: the file name is left as it is).
TestPlatform::PrinterAnswer ChoosePdfPrinter(std::string path, bool landscape = false);

// One program run with its window shown and painted once.
class GuiSession {
  public:
    explicit GuiSession(const std::vector<std::string>& args = {});
    ~GuiSession();

    TestPlatform platform;
    bool started = false;

    AppController& App();
    CMainFrame& Frame();
    CViewWidget& View();
    // A fresh paint of the view, read back from its framebuffer.
    QImage Grab();

  private:
    std::unique_ptr<ProgramInstance> program_;
};

// Drives a modal window that an action opens and waits in: from the event loop, offers
// the active modal window to `step` until it acts on one (returns true), for up to
// five seconds. The flag says whether it did (setting it stops the waiting); when the
// time is up, whatever modal window is open is closed, so that the test goes on.
std::shared_ptr<bool> WhenModal(std::function<bool(QWidget*)> step);

// Pixel (x, y) of a view picture, with y counted from the bottom as GL counts it.
QColor PixelFromBottom(const QImage& image, int x, int y);
// The background colour (0, 0.3, 0.3) as 8-bit values: 0.3 * 255 rounds either way.
bool IsBackground(const QColor& c);
bool IsWhite(const QColor& c);
// Whether a GL point drawn at window position (wx, wy) lit a white pixel; a position on
// a pixel border may round to either side.
bool WhitePointAt(const QImage& image, double wx, double wy);

// Locks or unlocks Caps Lock on the X display; false without one.
bool SetCapsLock(bool on);

// A world point in window coordinates (y from the bottom) through the transforms the
// last paint captured; (-1, -1) when it cannot be projected.
QPointF Project(double x, double y, double z);
// The pixel under a window position.
QColor PixelAt(const QImage& image, QPointF window);
// Whether a pixel of the colour lies within one pixel of a window position (lines may
// round to either side).
bool ColourNear(const QImage& image, QPointF window, bool (*isColour)(const QColor&));
bool WhiteNear(const QImage& image, QPointF window);
// The previews' and the selection window's red, and the selected shapes' magenta.
bool IsRed(const QColor& c);
bool IsMagenta(const QColor& c);
// A world point as a widget position (y from the top), through the last paint.
QPoint WidgetPoint(double x, double y, double z);
// Moves the mouse to a widget position and clicks the left button there.
void ClickAt(QWidget* view, QPoint p);

// What the user sees and does in the dialog that opens next.
struct Typing {
    QString title;
    QString textAtFirst;
    QStringList presets;
    QStringList labels;  // every label's text, labels and hints alike
    bool seen = false;
};

// Once the program goes back to its loop, types `keys` into the modal dialog's first
// field (its text is selected as it opens, so typing replaces it), then presses
// `finish` (Return for OK, Escape for Cancel).
void TypeIntoNextDialog(QObject* context, Typing& typing, QString keys, Qt::Key finish);

// A file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// A folder for one test's files, removed with the object.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    std::string Path(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace marquetta
