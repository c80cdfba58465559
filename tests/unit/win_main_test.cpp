#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "shell/shell.h"
#include "tests/support/gl_test.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;

namespace {

HINSTANCE const module = reinterpret_cast<HINSTANCE>(0x400000);

// Double-buffered RGBA for a window, 32 colour and 16 depth bits, nothing else.
const std::string pixelFormatRequest =
    "size 40, version 1, flags 0x25, type 0, colour 32, depth 16, layer 0, rest 0";

} // namespace

class WinMainTest : public GlTest {
  protected:
    // Runs the program with this command-line tail.
    int run(const std::string &tail) {
        std::vector<char> text(tail.begin(), tail.end());
        text.push_back('\0');
        return WinMain(module, nullptr, text.data(), SW_SHOWDEFAULT);
    }

    // The calls from the first one that starts with `from` up to, not including, `to`.
    std::vector<std::string> callsBetween(const std::string &from, const std::string &to) {
        std::vector<std::string> found;
        bool inside = false;
        for (const std::string &call : recording::calls) {
            if (!inside && call.compare(0, from.size(), from) == 0) {
                inside = true;
            } else if (inside && call.compare(0, to.size(), to) == 0) {
                break;
            }
            if (inside) {
                found.push_back(call);
            }
        }
        return found;
    }
};

TEST_F(WinMainTest, RefusedCommandLinesMakeNoCallAtAll) {
    const std::string refused[] = {"-WIN",
                                   "/p 123",
                                   "/c",
                                   "x",
                                   " ",
                                   "- win",
                                   "/ s",
                                   "\xff\xfe\x01\x7f",
                                   std::string(100000, 'w')};
    for (const std::string &tail : refused) {
        EXPECT_EQ(run(tail), 0);
    }
    EXPECT_TRUE(recording::calls.empty());
    EXPECT_EQ(scene.mainWindow, nullptr);
    EXPECT_EQ(scene.settings.windowed, 0);
}

TEST_F(WinMainTest, SwitchesAnywhereInTheTailChooseWindowOrFullScreen) {
    struct Case {
        const char *tail;
        bool windowed;
    };
    const Case cases[] = {
        {"", false},        {"/s", false},      {"/S", false},       {"-win", true},
        {"/s -win", true},  {"/S-win", true},   {"x-windows", true}, {"foo/sbar", false},
        {"/p 1 /S", false}, {"-win\xff", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tail);
        scene = nimbrost::SceneState();
        recording::clear();
        recording::postAfterFrames(1, nullptr, WM_QUIT, 0, 0);
        EXPECT_EQ(run(c.tail), 0);
        EXPECT_EQ(scene.settings.windowed, c.windowed ? 1 : 0);
        const std::vector<std::string> created = recording::callsStartingWith("CreateWindowExA");
        ASSERT_EQ(created.size(), 1u);
        EXPECT_EQ(created[0], c.windowed ? "CreateWindowExA(0x0, \"Nimbrost\", \"Nimbrost\", "
                                           "0x90c80000, 0, 0, 800, 600, null, null, 0x400000, "
                                           "null) -> #4"
                                         : "CreateWindowExA(0x0, \"Nimbrost\", \"Nimbrost\", "
                                           "0x90880000, 0, 0, 1280, 1024, null, null, 0x400000, "
                                           "null) -> #4");
        EXPECT_EQ(recording::callsStartingWith("GetSystemMetrics").size(), c.windowed ? 0u : 2u);
    }
}

TEST_F(WinMainTest, WindowedRunStartsAndShutsDownInOrder) {
    recording::postAfterFrames(2, nullptr, WM_CLOSE, 0, 0);
    EXPECT_EQ(run("-win"), 0);
    const std::vector<std::string> expected = {
        "LoadIconA(null, 32512) -> #1",
        "LoadCursorA(null, 32512) -> #2",
        "GetStockObject(4) -> #3",
        "RegisterClassA(style 0x20, procedure, extra 0 0, instance 0x400000, icon #1, cursor #2, "
        "brush #3, menu null, class \"Nimbrost\")",
        "CreateWindowExA(0x0, \"Nimbrost\", \"Nimbrost\", 0x90c80000, 0, 0, 800, 600, null, null, "
        "0x400000, null) -> #4",
        "WM_CREATE -> 0",
        "GetDC(#4) -> #5",
        "ChoosePixelFormat(#5, " + pixelFormatRequest + ") -> 7",
        "SetPixelFormat(#5, 7, " + pixelFormatRequest + ")",
        "wglCreateContext(#5) -> #6",
        "wglMakeCurrent(#5, #6)",
        "CreateFontA(16, 8, 0, 0, 300, 0, 0, 0, 0, 4, 0, 4, 0, \"Verdana\") -> #7",
        "SelectObject(#5, #7) -> #system font",
        "wglUseFontBitmapsA(#5, 32, 96, list base)",
        "SelectObject(#5, #system font) -> #7",
        "DeleteObject(#7)",
        "GetTickCount",
        "midiOutOpen(4294967295, 0, 0, 0) -> #8",
        "SwapBuffers(#5)",
        "SwapBuffers(#5)",
        "PeekMessageA(null, 0, 0, 1) -> #4, 0x0010, 0x0, 0x0",
        "TranslateMessage(#4, 0x0010, 0x0, 0x0)",
        "DispatchMessageA(#4, 0x0010, 0x0, 0x0)",
        "PostQuitMessage(0)",
        "PeekMessageA(null, 0, 0, 1) -> WM_QUIT",
        "midiOutClose(#8)",
        "GetWindowLongA(#4, -16) -> 0x90c80000",
        "ChangeDisplaySettingsA(cleared record, 0x0)",
        "ShowCursor(1) -> 1",
        "SetWindowLongA(#4, -16, 0x90c80000)",
        "wglMakeCurrent(null, null)",
        "wglDeleteContext(#6)",
        "ReleaseDC(#4, #5)",
        "DestroyWindow(#4)",
        "WM_DESTROY -> 0",
    };
    EXPECT_EQ(recording::calls, expected);
    EXPECT_EQ(scene.currentEffect, nimbrost::effectRegistry[0].draw);
    EXPECT_EQ(scene.frameCount, 2u);
    EXPECT_EQ(scene.fontListBase, 0u);
    EXPECT_FALSE(glIsList(recording::fontListBase));
    EXPECT_EQ(recording::openMidiOutputs(), 0);
}

TEST_F(WinMainTest, FullScreenStartTakesTheScreenSizeAndHidesTheCursorTwice) {
    recording::screenWidth = 1920;
    recording::screenHeight = 1080;
    recording::postAfterFrames(1, nullptr, WM_QUIT, 0, 0);
    EXPECT_EQ(run(""), 0);
    EXPECT_EQ(scene.width, 1920);
    EXPECT_EQ(scene.height, 1080);
    EXPECT_EQ(
        callsBetween("GetSystemMetrics", "LoadIconA"),
        (std::vector<std::string>{"GetSystemMetrics(0) -> 1920", "GetSystemMetrics(1) -> 1080"}));
    EXPECT_EQ(callsBetween("WM_CREATE", "CreateFontA"),
              (std::vector<std::string>{
                  "WM_CREATE -> 0",
                  "ShowCursor(0) -> -1",
                  "GetDC(#4) -> #5",
                  "ChoosePixelFormat(#5, " + pixelFormatRequest + ") -> 7",
                  "SetPixelFormat(#5, 7, " + pixelFormatRequest + ")",
                  "wglCreateContext(#5) -> #6",
                  "wglMakeCurrent(#5, #6)",
                  "GetWindowLongA(#4, -16) -> 0x90880000",
                  "EnumDisplaySettingsA(null, current)",
                  "ChangeDisplaySettingsA(size 156, extra 0, fields 0x5c0000, 1920x1080, 32 bits, "
                  "60 Hz, 0x4)",
                  "ShowCursor(0) -> -2",
                  "SetWindowLongA(#4, -16, 0x90080000)",
              }));
    // One show at shutdown leaves the count below zero: the cursor stays hidden to the end.
    EXPECT_EQ(recording::cursorCount, -1);
    EXPECT_EQ(callsBetween("GetWindowLongA(#4, -16) -> 0x90080000", "wglMakeCurrent(null"),
              (std::vector<std::string>{
                  "GetWindowLongA(#4, -16) -> 0x90080000",
                  "ChangeDisplaySettingsA(cleared record, 0x0)",
                  "ShowCursor(1) -> -1",
                  "SetWindowLongA(#4, -16, 0x90c80000)",
              }));
}

TEST_F(WinMainTest, ZeroScreenMetricsKeepTheDefaultSize) {
    recording::screenWidth = 0;
    recording::screenHeight = 0;
    recording::postAfterFrames(0, nullptr, WM_QUIT, 0, 0);
    EXPECT_EQ(run("/S"), 0);
    EXPECT_EQ(scene.width, 800);
    EXPECT_EQ(scene.height, 600);
    EXPECT_EQ(recording::callsStartingWith("ChangeDisplaySettingsA")[0],
              "ChangeDisplaySettingsA(size 156, extra 0, fields 0x5c0000, 800x600, 32 bits, 60 Hz, "
              "0x4)");
}

TEST_F(WinMainTest, AWindowThatCannotBeMadeEndsWithMinusOneReleasingNothing) {
    recording::windowsAvailable = false;
    EXPECT_EQ(run("/s"), -1);
    EXPECT_EQ(callsBetween("CreateWindowExA", "no such call"),
              (std::vector<std::string>{
                  "CreateWindowExA(0x0, \"Nimbrost\", \"Nimbrost\", 0x90880000, 0, 0, 1280, 1024, "
                  "null, null, 0x400000, null) -> null",
                  "GetWindowLongA(null, -16) -> 0x00000000",
                  "ChangeDisplaySettingsA(cleared record, 0x0)",
                  "ShowCursor(1) -> 1",
                  "SetWindowLongA(null, -16, 0x00c00000)",
                  "wglMakeCurrent(null, null)",
              }));
    EXPECT_EQ(scene.frameCount, 0u);
}

TEST_F(WinMainTest, EveryPendingMessageIsHandledBeforeTheNextFrame) {
    recording::postAfterFrames(1, nullptr, WM_KEYUP, 'B', 0);
    recording::postAfterFrames(1, nullptr, WM_KEYUP, 'P', 0);
    recording::postAfterFrames(3, nullptr, WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_EQ(run("-win"), 0);
    EXPECT_EQ(callsBetween("PeekMessageA", "PeekMessageA(null, 0, 0, 1) -> WM_QUIT"),
              (std::vector<std::string>{
                  "PeekMessageA(null, 0, 0, 1) -> #4, 0x0101, 0x42, 0x0",
                  "TranslateMessage(#4, 0x0101, 0x42, 0x0)",
                  "DispatchMessageA(#4, 0x0101, 0x42, 0x0)",
                  "PeekMessageA(null, 0, 0, 1) -> #4, 0x0101, 0x50, 0x0",
                  "TranslateMessage(#4, 0x0101, 0x50, 0x0)",
                  "DispatchMessageA(#4, 0x0101, 0x50, 0x0)",
                  "SwapBuffers(#5)",
                  "SwapBuffers(#5)",
                  "PeekMessageA(null, 0, 0, 1) -> #4, 0x0101, 0x1b, 0x0",
                  "TranslateMessage(#4, 0x0101, 0x1b, 0x0)",
                  "DispatchMessageA(#4, 0x0101, 0x1b, 0x0)",
                  "PostQuitMessage(0)",
              }));
    EXPECT_EQ(scene.frameCount, 3u);
    EXPECT_EQ(scene.settings.squareBorders, 1);
    EXPECT_EQ(scene.settings.squarePersonality, 1);
    EXPECT_GT(litPixels(), 0);
}

TEST_F(WinMainTest, TheFrameRateIsTakenOnlyWhileTheOverlayShows) {
    recording::postAfterFrames(2, nullptr, WM_KEYUP, VK_F1, 0);
    recording::postAfterFrames(5, nullptr, WM_QUIT, 0, 0);
    EXPECT_EQ(run("-win"), 0);
    const std::vector<std::string> afterF1 =
        callsBetween("DispatchMessageA(#4, 0x0101, 0x70", "PeekMessageA");
    EXPECT_EQ(afterF1, (std::vector<std::string>{
                           "DispatchMessageA(#4, 0x0101, 0x70, 0x0)",
                           "GetTickCount",
                           "SwapBuffers(#5)",
                           "GetTickCount",
                           "SwapBuffers(#5)",
                           "GetTickCount",
                           "SwapBuffers(#5)",
                       }));
    // One from the scene reset, three from the frames with the overlay.
    EXPECT_EQ(recording::callsStartingWith("GetTickCount").size(), 4u);
}

TEST_F(WinMainTest, FrameRateIsTheAverageSinceTheResetAcrossTheTickWrap) {
    scene.frameCount = 50;
    scene.startTick = 0xFFFFFF00u;
    recording::tickCount = 0x64;
    EXPECT_EQ(nimbrost::averageFrameRate(), 50.0 / (356.0 * 0.001));
    recording::tickCount = 0xFFFFFF00u;
    scene.frameCount = 1;
    EXPECT_TRUE(std::isinf(nimbrost::averageFrameRate()));
    EXPECT_GT(nimbrost::averageFrameRate(), 0);
}
