// Runs the GUI test classes: all of them, or the one named as the first argument (the
// rest go to Qt Test). Settings go to a folder of their own, never the user's.
#include <QApplication>
#include <QSettings>
#include <QSurfaceFormat>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gui/gl_context_check.h"
#include "gui/qt_platform.h"
#include "gui_tests.h"

int main(int argc, char** argv) {
    std::string config =
        (std::filesystem::temp_directory_path() / "marquetta-config-XXXXXX").string();
    if (mkdtemp(config.data()) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    QSurfaceFormat::setDefaultFormat(marquetta::ViewSurfaceFormat());
    QApplication app(argc, argv);
    app.setOrganizationName(QString::fromLatin1(marquetta::kSettingsOrganization));
    app.setApplicationName(QString::fromLatin1(marquetta::kSettingsApplication));

    marquetta::AllowTimeForTheStorm();
    std::vector<std::unique_ptr<QObject>> tests = marquetta::MakeGuiTests();
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> qtArgs = {argv[0]};
    for (int i = only ? 2 : 1; i < argc; ++i) {
        qtArgs.push_back(argv[i]);
    }
    int failed = 0;
    bool ran = false;
    for (const auto& test : tests) {
        const std::string name = test->metaObject()->className();
        if (only != nullptr && name.substr(name.rfind(':') + 1) != only) {
            continue;
        }
        ran = true;
        failed += QTest::qExec(test.get(), static_cast<int>(qtArgs.size()), qtArgs.data());
    }
    std::error_code ignored;
    std::filesystem::remove_all(config, ignored);
    if (!ran) {
        std::fprintf(stderr, "no test class named %s\n", only);
        return 2;
    }
    return failed == 0 ? 0 : 1;
}
