// The GUI test classes, one factory each.
#pragma once

#include <QObject>
#include <cstddef>
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
std::unique_ptr<QObject> MakeEditingStateTest();
std::unique_ptr<QObject> MakePaintPixelsTest();

// Qt Test stops a test function after QTEST_FUNCTION_TIMEOUT milliseconds (300 s unless
// set), read once, when the first test function starts.
inline constexpr size_t kQtFunctionLimitMs = 300000;
// What the storm allows an event. tests/gui/CMakeLists.txt gives ctest's limit a
// little more, so that Qt's own verdict comes first.
inline constexpr size_t kStormMillisecondsPerEvent = 100;
// Raises that limit, unless the user set it, to what the storm's events need
// (MARQUETTA_STORM_EVENTS, 10,000 by default). Call it before the first test runs.
void AllowTimeForTheStorm();

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
    tests.push_back(MakeEditingStateTest());
    tests.push_back(MakePaintPixelsTest());
    return tests;
}

}  // namespace marquetta
