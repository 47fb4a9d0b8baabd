// Adds the file named on the command line to the recent-file list through the desktop's
// own settings, as opening or saving a drawing does. Message boxes are answered at once
// and their text goes to stderr; the exit status is 1 when one was shown.
#include <QApplication>
#include <cstdio>
#include <string>

#include "app/recent_files.h"
#include "gui/qt_platform.h"

namespace {

class AnsweringPlatform : public marquetta::QtPlatform {
  public:
    marquetta::MessageAnswer MessageBox(std::string_view text, std::string_view,
                                        marquetta::MessageIcon,
                                        marquetta::MessageButtons buttons) override {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
        shown = true;
        return marquetta::DefaultAnswer(buttons);
    }
    bool shown = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    AnsweringPlatform platform;
    marquetta::SetCurrentPlatform(&platform);
    marquetta::RecentFileList list;
    list.Load();
    list.Add(argv[1]);
    marquetta::SetCurrentPlatform(nullptr);
    return platform.shown ? 1 : 0;
}
