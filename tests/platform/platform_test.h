// Fixture for the tests of the SDL platform layer on a real display: a registered class whose
// procedure records what it receives, and helpers to pump messages until something holds.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <functional>
#include <vector>

#include "platform/win32.h"

class PlatformTest : public ::testing::Test {
  public:
    // The messages the test class's procedure received, in order.
    static std::vector<MSG> received;
    // What the procedure answers to WM_CREATE.
    static LRESULT createResult;

  protected:
    void SetUp() override;
    void TearDown() override;

    // A window of the test class with this style, 800 x 600 at (0, 0).
    HWND makeWindow(DWORD style);
    // Dispatches messages until `done` holds; false if it did not within two seconds.
    bool pumpUntil(const std::function<bool()> &done);
    // The next queued message between `first` and `last`, dispatched; false if none came.
    bool nextMessage(UINT first, UINT last, MSG &message);
    // The window's client rectangle on the screen and its decorations, as SDL sees them.
    SDL_Rect clientRect(HWND window);
    SDL_Rect outerRect(HWND window);

  private:
    std::vector<HWND> made;
};
