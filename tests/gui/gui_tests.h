// The GUI test classes, one factory each.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

namespace marquetta {

std::unique_ptr<QObject> MakeMainWindowTest();
std::unique_ptr<QObject> MakeViewTest();
std::unique_ptr<QObject> MakeFileCommandsTest();
std::unique_ptr<QObject> MakePlatformTest();
std::unique_ptr<QObject> MakePrintTest();
std::unique_ptr<QObject> MakeDialogsTest();
std::unique_ptr<QObject> MakeDrawingTest();
std::unique_ptr<QObject> MakeLayersTest();
std::unique_ptr<QObject> MakeModifyTest();
std::unique_ptr<QObject> MakeRenderTest();
std::unique_ptr<QObject> MakeKeyboardTest();
std::unique_ptr<QObject> MakeHelpTest();
std::unique_ptr<QObject> MakeStormTest();
std::unique_ptr<QObject> MakeUndoTest();
std::unique_ptr<QObject> MakePaintPixelsTest();

inline std::vector<std::unique_ptr<QObject>> MakeGuiTests() {
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(MakeMainWindowTest());
    tests.push_back(MakeViewTest());
    tests.push_back(MakeFileCommandsTest());
    tests.push_back(MakePlatformTest());
    tests.push_back(MakePrintTest());
    tests.push_back(MakeDialogsTest());
    tests.push_back(MakeDrawingTest());
    tests.push_back(MakeLayersTest());
    tests.push_back(MakeModifyTest());
    tests.push_back(MakeRenderTest());
    tests.push_back(MakeKeyboardTest());
    tests.push_back(MakeHelpTest());
    tests.push_back(MakeStormTest());
    tests.push_back(MakeUndoTest());
    tests.push_back(MakePaintPixelsTest());
    return tests;
}

}  // namespace marquetta
