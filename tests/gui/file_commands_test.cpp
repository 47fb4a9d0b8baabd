// The file commands from the window: opening the sample drawing from the command line,
// changing it, saving it under a new name through the save dialog, reopening that file
// and saving it again byte for byte; a corrupt file refused with the drawing kept; a
// missing file on the command line ending the start; the recent-file items; a DXF
// plan with a block imported into the view.
#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QSettings>
#include <QTest>
#include <filesystem>

#include "app/app_controller.h"
#include "gui/main_frame.h"
#include "gui/status_dialog_bar.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/layers.h"
#include "platform/command_ids.h"

namespace marquetta {
namespace {

const std::string kSample = MARQUETTA_SOURCE_DIR "/res/samples/sample.trn";

bool CopySample(const std::string& to) {
    const std::optional<std::string> bytes = ReadFileBytes(kSample);
    return bytes && WriteFileBytes(to, *bytes);
}

// Where the user types a file name, with the keyboard focus as when the dialog opens on
// a desktop.
QLineEdit* NameBox(QFileDialog& dialog) {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name->hasFocus()) {
        dialog.activateWindow();
        (void)QTest::qWaitForWindowActive(&dialog);
        name->setFocus();
    }
    return name;
}

// The names the dialog's list shows once it has shown exactly `expected` (sorted), or
// what it shows after two seconds.
QStringList ListedNames(QFileDialog& dialog, QStringList expected) {
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    expected.sort();
    (void)QTest::qWaitFor(
        [&] {
            names.clear();
            const QModelIndex root = list->rootIndex();
            for (int row = 0; row < list->model()->rowCount(root); ++row) {
                names << list->model()->index(row, 0, root).data().toString();
            }
            names.sort();
            return names == expected;
        },
        2000);
    return names;
}

// Answers the next file dialog: notes the folder it starts in, then types `typed` and
// Return, or cancels when `typed` is empty.
std::shared_ptr<bool> AnswerFileDialog(QString& startFolder, const std::string& typed) {
    return WhenModal([&startFolder, typed](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) {
            return false;
        }
        startFolder = dialog->directory().absolutePath();
        if (typed.empty()) {
            dialog->reject();
        } else {
            NameBox(*dialog)->clear();
            QTest::keyClicks(NameBox(*dialog), QString::fromStdString(typed));
            QTest::keyClick(NameBox(*dialog), Qt::Key_Return);
        }
        return true;
    });
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QSettings().clear(); }

    void openModifySaveAsAndReopen() {
        TempFolder folder;
        const std::string original = folder.Path("sample.trn");
        const std::optional<std::string> sampleBytes = ReadFileBytes(kSample);
        QVERIFY(sampleBytes.has_value());
        QVERIFY(WriteFileBytes(original, *sampleBytes));

        GuiSession s({original});
        QVERIFY(s.started);
        CZorader_ezDoc& doc = s.App().Document();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("sample.trn[*] - Marquetta"));
        const size_t shapes = doc.m_shapes.size();
        QVERIFY(shapes > 0);

        // A line through the core, as the line command adds one.
        doc.m_current.m_nType = SHAPE_LINE;
        doc.m_current.m_strLayer.assign(1, '0');
        doc.m_current.m_pt[0] = Float3{-1234.5f, 0.0f, 678.0f};
        doc.m_current.m_pt[1] = Float3{4321.0f, 0.0f, -876.25f};
        EnsureLayer("0");
        doc.AddCurrentShape();
        doc.m_current.m_nType = SHAPE_NONE;
        QVERIFY(doc.IsModified());
        // The title bar shows the unsaved change, and no longer once saved.
        QVERIFY(!s.Frame().isWindowModified());
        s.Frame().UpdateCommandUi();
        QVERIFY(s.Frame().isWindowModified());

        const std::string copy = folder.Path("copy.trn");
        s.platform.fileNames.push_back(copy);
        s.Frame().Action(ID_FILE_SAVE_AS)->trigger();
        QCOMPARE(s.platform.fileRequests.size(), size_t{1});
        QVERIFY(s.platform.fileRequests[0].save);
        QCOMPARE(s.platform.fileRequests[0].defaultExtension, std::string("trn"));
        QVERIFY(s.platform.messages.empty());
        QVERIFY(!doc.IsModified());
        s.Frame().UpdateCommandUi();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("copy.trn[*] - Marquetta"));
        QVERIFY(!s.Frame().isWindowModified());
        QCOMPARE(ReadFileBytes(original), sampleBytes);

        // Back to a new drawing, then open the copy through the open dialog.
        s.Frame().Action(ID_FILE_NEW)->trigger();
        QVERIFY(doc.m_shapes.empty());
        s.platform.fileNames.push_back(copy);
        QTest::keyClick(&s.View(), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(s.platform.messages.empty());
        QCOMPARE(doc.m_shapes.size(), shapes + 1);
        const CShape& added = *doc.m_shapes.back();
        QCOMPARE(added.m_nType, int32_t{SHAPE_LINE});
        QCOMPARE(added.m_pt[0].x, -1234.5f);
        QCOMPARE(added.m_pt[1].z, -876.25f);

        // Saving the reopened drawing (Ctrl+S) writes the same bytes again.
        const std::optional<std::string> copyBytes = ReadFileBytes(copy);
        QVERIFY(std::filesystem::remove(copy));
        QTest::keyClick(&s.View(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ReadFileBytes(copy), copyBytes);
        QCOMPARE(s.platform.fileRequests.size(), size_t{2});  // no dialog for Save
    }

    void unreadableFileIsRefusedAndTheDrawingKept() {
        TempFolder folder;
        const std::string notAFile = folder.Path("folder.trn");
        QVERIFY(std::filesystem::create_directory(notAFile));

        GuiSession s({kSample});
        QVERIFY(s.started);
        CZorader_ezDoc& doc = s.App().Document();
        const size_t shapes = doc.m_shapes.size();
        s.platform.fileNames.push_back(notAFile);
        s.Frame().Action(ID_FILE_OPEN)->trigger();
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QCOMPARE(s.platform.messages[0].icon, MessageIcon::Exclamation);
        QCOMPARE(doc.m_shapes.size(), shapes);
        QCOMPARE(doc.GetPathName(), kSample);
        s.Frame().UpdateCommandUi();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("sample.trn[*] - Marquetta"));
    }

    void fileCorruptPartWayIsRefusedAndTheDrawingKept() {
        TempFolder folder;
        const std::string bad = folder.Path("bad.trn");
        // The banner, then a sky text whose length runs past the end of the file.
        QVERIFY(WriteFileBytes(bad, std::string("\x14"
                                                "Tarno_III V0.08     "
                                                "\x40"
                                                "S_Cl")));

        GuiSession s({kSample});
        QVERIFY(s.started);
        CZorader_ezDoc& doc = s.App().Document();
        const size_t shapes = doc.m_shapes.size();
        QVERIFY(shapes > 0);
        // Halfway between two grid points on the sample's north wall.
        QVERIFY(WhiteNear(s.Grab(), Project(1365, 0, -2730)));
        s.platform.fileNames.push_back(bad);
        s.Frame().Action(ID_FILE_OPEN)->trigger();
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QCOMPARE(s.platform.messages[0].text, std::string("予期しないﾌｧｲﾙ形式です。"));
        QCOMPARE(s.platform.messages[0].icon, MessageIcon::Exclamation);
        QCOMPARE(doc.m_shapes.size(), shapes);
        s.Frame().UpdateCommandUi();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("sample.trn[*] - Marquetta"));
        // The view still shows the drawing: the wall is there.
        QVERIFY(WhiteNear(s.Grab(), Project(1365, 0, -2730)));
    }

    void missingFileOnTheCommandLineEndsTheStart() {
        TempFolder folder;
        GuiSession s({folder.Path("nowhere.trn")});
        QVERIFY(!s.started);
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QVERIFY(!s.Frame().isVisible());
    }

    void saveDialogsAskBeforeReplacingTheNameWritten() {
        TempFolder folder;
        QVERIFY(CopySample(folder.Path("sample.trn")));
        GuiSession s({folder.Path("sample.trn")});
        QVERIFY(s.started);
        s.platform.showFileDialogs = true;
        const struct {
            int command;
            const char* existing;
            const char* typed;
            bool asks;
            QMessageBox::StandardButton answer;
        } cases[] = {
            // The extension comes in the dialog, so the question is about plan.trn.
            {ID_FILE_SAVE_AS, "plan.trn", "plan", true, QMessageBox::No},
            {ID_FILE_SAVE_AS, "plan.trn", "plan", true, QMessageBox::Yes},
            {ID_DXF_EXPORT, "plan.dxf", "plan", true, QMessageBox::No},
            // A DXF name typed in full replaces its file without a question.
            {ID_DXF_EXPORT, "plan.dxf", "plan.dxf", false, QMessageBox::NoButton},
            // The name offered (the drawing's, saved as plan.trn above) was not typed: asked.
            {ID_DXF_EXPORT, "plan.dxf", nullptr, true, QMessageBox::No},
            // The drawing is never saved under a DXF name: ".trn" comes in the dialog.
            {ID_FILE_SAVE_AS, "export.dxf.trn", "export.dxf", true, QMessageBox::Yes},
        };
        for (const auto& c : cases) {
            const std::string existing = folder.Path(c.existing);
            QVERIFY(WriteFileBytes(existing, "old"));
            QString question;
            QString offered;
            bool stillOpen = false;
            const auto typed = WhenModal([&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (dialog == nullptr) {
                    return false;
                }
                const auto answered = WhenModal([&](QWidget* box) {
                    auto* ask = qobject_cast<QMessageBox*>(box);
                    if (ask == nullptr) {
                        return false;
                    }
                    question = ask->text();
                    ask->button(c.answer)->click();
                    return true;
                });
                if (c.typed == nullptr) {
                    offered = NameBox(*dialog)->text();
                } else {
                    NameBox(*dialog)->clear();
                    QTest::keyClicks(NameBox(*dialog), QString::fromUtf8(c.typed));
                }
                QTest::keyClick(NameBox(*dialog), Qt::Key_Return);
                *answered = true;
                stillOpen = dialog->isVisible();
                if (stillOpen) {
                    dialog->reject();
                }
                return true;
            });
            s.Frame().Action(c.command)->trigger();
            QVERIFY(*typed);
            QCOMPARE(question.contains(QString::fromUtf8(c.existing)), c.asks);
            const bool replaced = !c.asks || c.answer == QMessageBox::Yes;
            QCOMPARE(stillOpen, !replaced);
            QCOMPARE(ReadFileBytes(existing) != std::optional<std::string>("old"), replaced);
            if (c.typed == nullptr) {
                QCOMPARE(offered, QString::fromUtf8(c.existing));
            }
        }
        QVERIFY(!std::filesystem::exists(folder.Path("export.dxf")));
        s.Frame().UpdateCommandUi();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("export.dxf.trn[*] - Marquetta"));
    }

    void fileDialogsStartInTheDrawingsFolderOrTheLastOneUsed() {
        TempFolder folder;
        const std::string a = folder.Path("a");
        const std::string b = folder.Path("b");
        QVERIFY(std::filesystem::create_directory(a) && std::filesystem::create_directory(b));
        QVERIFY(CopySample(a + "/a.trn") && CopySample(b + "/b.trn"));
        GuiSession s({a + "/a.trn"});
        QVERIFY(s.started);
        s.platform.showFileDialogs = true;

        QString startFolder;
        auto answered = AnswerFileDialog(startFolder, b + "/b.trn");
        QTest::keyClick(&s.View(), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(*answered);
        QCOMPARE(startFolder, QString::fromStdString(a));
        s.Frame().UpdateCommandUi();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("b.trn[*] - Marquetta"));

        // A new drawing has no folder: the dialogs start where the last one ended.
        s.Frame().Action(ID_FILE_NEW)->trigger();
        answered = AnswerFileDialog(startFolder, "");
        s.Frame().Action(ID_INSERT_FILE)->trigger();
        QVERIFY(*answered);
        QCOMPARE(startFolder, QString::fromStdString(b));
    }

    void openDialogsListOnlyTheirPatternUntilAskedForAll() {
        TempFolder folder;
        QVERIFY(CopySample(folder.Path("plan.trn")));
        QVERIFY(WriteFileBytes(folder.Path("site.dxf"), "0\nEOF\n"));
        QVERIFY(WriteFileBytes(folder.Path("notes.txt"), "text"));
        GuiSession s({folder.Path("plan.trn")});
        QVERIFY(s.started);
        s.platform.showFileDialogs = true;
        const QString all = QStringLiteral("すべてのﾌｧｲﾙ (*)");
        const struct {
            int command;
            QString pattern;
            QStringList filters;
            QStringList listed;
        } cases[] = {
            {ID_DXF_IMPORT, "*.dxf", {"*.dxf", all}, {"site.dxf"}},
            {ID_INSERT_FILE,
             "*.trn",
             {QStringLiteral("Tarno_IIIファイル (*.trn)"), all},
             {"plan.trn"}},
        };
        for (const auto& c : cases) {
            QString nameBox;
            QStringList filters, listed, listedAll;
            const auto seen = WhenModal([&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (dialog == nullptr) {
                    return false;
                }
                nameBox = NameBox(*dialog)->text();
                filters = dialog->nameFilters();
                listed = ListedNames(*dialog, c.listed);
                dialog->selectNameFilter(all);
                listedAll = ListedNames(*dialog, {"notes.txt", "plan.trn", "site.dxf"});
                dialog->reject();
                return true;
            });
            s.Frame().Action(c.command)->trigger();
            QVERIFY(*seen);
            QCOMPARE(nameBox, c.pattern);
            QCOMPARE(filters, c.filters);
            QCOMPARE(listed, c.listed);
            QCOMPARE(listedAll, (QStringList{"notes.txt", "plan.trn", "site.dxf"}));
        }
    }

    void recentFilesOfTheSameNameShowApart() {
        TempFolder folder;
        const std::string a = folder.Path("a") + "/sample.trn";
        const std::string b = folder.Path("b") + "/sample.trn";
        QVERIFY(std::filesystem::create_directory(folder.Path("a")) &&
                std::filesystem::create_directory(folder.Path("b")));
        QVERIFY(CopySample(a) && CopySample(b));
        GuiSession s({b});
        QVERIFY(s.started);
        QVERIFY(s.App().OpenDocumentFile(a));
        s.Frame().UpdateCommandUi();
        QAction* first = s.Frame().Action(ID_FILE_MRU_FIRST);
        QAction* second = s.Frame().Action(ID_FILE_MRU_FIRST + 1);
        // The open drawing's folder shows the name alone; the other file its path.
        QCOMPARE(first->text(), QStringLiteral("&1 sample.trn"));
        QVERIFY2(second->text().startsWith(QStringLiteral("&2 /")), qPrintable(second->text()));
        QVERIFY(second->text().endsWith(QStringLiteral("/b/sample.trn")));
        QCOMPARE(first->statusTip(), QString::fromStdString(a));
        QCOMPARE(second->statusTip(), QString::fromStdString(b));
    }

    // A DXF plan from another program: the block placed where the reference puts it, a
    // layer the file has off kept out of sight, the move on the status line and what
    // the drawing could not hold in a message.
    void dxfImportPlacesBlocksAndTellsWhatItMovedAndLeftOut() {
        TempFolder folder;
        const std::string dxf = folder.Path("plan.dxf");
        QVERIFY(WriteFileBytes(dxf,
            "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nOFF\n70\n0\n62\n-1\n"
            "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nSEAT\n10\n0\n20\n0\n"
            "0\nLINE\n8\n0\n11\n3000\n0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
            "0\nINSERT\n8\nWALL\n2\nSEAT\n50\n90\n0\nLINE\n8\nOFF\n11\n3000\n0\nIMAGE\n"
            "0\nENDSEC\n0\nEOF\n"));
        GuiSession s;
        QVERIFY(s.started);
        s.platform.fileNames.push_back(dxf);
        s.Frame().Action(ID_DXF_IMPORT)->trigger();
        QCOMPARE(s.App().Document().m_shapes.size(), size_t{2});
        // The plan's centre (1500, 1500) is two grid pitches from the origin.
        QCOMPARE(s.Frame().StatusDialogBar()->Prompt(),
                 QStringLiteral("DXF を読み込みました。図面を X -1820 mm、Y -1820 mm 移動しました"));
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QCOMPARE(s.platform.messages[0].text, std::string("取り込めなかった図形: IMAGE 1"));
        QCOMPARE(s.platform.messages[0].icon, MessageIcon::Information);
        const QImage picture = s.Grab();
        QVERIFY(WhiteNear(picture, Project(-1820, 0, 320)));   // the turned block's line
        QVERIFY(!WhiteNear(picture, Project(-320, 0, 1820)));  // the line on the layer off
        QVERIFY(!WhiteNear(picture, Project(-320, 0, 320)));   // where nothing was drawn
    }

    void recentFilesFillTheMenuAndTheSettings() {
        GuiSession s({kSample});
        QVERIFY(s.started);
        s.Frame().UpdateCommandUi();
        QAction* first = s.Frame().Action(ID_FILE_MRU_FIRST);
        QCOMPARE(first->text(), QStringLiteral("&1 sample.trn"));
        QVERIFY(first->isVisible());
        QVERIFY(first->isEnabled());
        QVERIFY(!s.Frame().Action(ID_FILE_MRU_FIRST + 1)->isVisible());
        QSettings settings(QStringLiteral("HALVERN STUDIO"), QStringLiteral("Marquetta"));
        QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(),
                 QString::fromStdString(kSample));

        // The item opens its file again.
        s.Frame().Action(ID_FILE_NEW)->trigger();
        QVERIFY(s.App().Document().m_shapes.empty());
        first->trigger();
        QVERIFY(!s.App().Document().m_shapes.empty());
        QCOMPARE(s.App().Document().GetPathName(), kSample);
    }
};

std::unique_ptr<QObject> MakeFileCommandsTest() {
    return std::make_unique<FileCommandsTest>();
}

}  // namespace marquetta

#include "file_commands_test.moc"
