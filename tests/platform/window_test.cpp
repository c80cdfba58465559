#include "tests/platform/platform_test.h"

#include "platform/sdl/sdl_platform.h"

namespace {

const DWORD captioned = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;

bool sameRect(const SDL_Rect &a, const SDL_Rect &b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

} // namespace

TEST_F(PlatformTest, CreateSendsCreateBeforeTheWindowShowsAndMinusOneRefusesIt) {
    HWND window = makeWindow(captioned);
    ASSERT_NE(window, nullptr);
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(received[0].hwnd, window);
    EXPECT_NE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN, 0u);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), static_cast<LONG>(captioned));

    received.clear();
    createResult = -1;
    EXPECT_EQ(makeWindow(captioned), nullptr);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_DESTROY));

    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", captioned, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
}

TEST_F(PlatformTest, TheOuterRectangleIsTheSizeAskedForAtTheOrigin) {
    HWND window = makeWindow(captioned);
    ASSERT_NE(window, nullptr);
    // openbox adds a title bar; once it says how high, the client area shrinks to fit.
    const SDL_Rect wanted = {0, 0, 800, 600};
    EXPECT_TRUE(
        pumpUntil([&] { return clientRect(window).y > 0 && sameRect(outerRect(window), wanted); }));
    const SDL_Rect client = clientRect(window);
    EXPECT_LT(client.h, 600);

    // Without the caption bits the window loses its decorations and its client area grows to
    // the whole rectangle; with them back it shrinks again.
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(SetWindowLongA(window, GWL_STYLE, style & ~WS_CAPTION), style);
    EXPECT_NE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_TRUE(pumpUntil([&] { return sameRect(clientRect(window), wanted); }));
    SetWindowLongA(window, GWL_STYLE, style);
    EXPECT_EQ(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_TRUE(pumpUntil([&] { return sameRect(clientRect(window), client); }));
    EXPECT_TRUE(sameRect(outerRect(window), wanted));
}

TEST_F(PlatformTest, DestroyAndTheDefaultCloseSendDestroyAndEndTheHandle) {
    HWND first = makeWindow(captioned);
    HWND second = makeWindow(WS_POPUP | WS_VISIBLE | WS_BORDER);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(second->sdl) & SDL_WINDOW_BORDERLESS, 0u);
    received.clear();
    EXPECT_TRUE(DestroyWindow(first));
    EXPECT_EQ(DefWindowProcA(second, WM_CLOSE, 0, 0), 0);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(received[1].hwnd, second);
    EXPECT_FALSE(DestroyWindow(first));
    EXPECT_EQ(GetWindowLongA(second, GWL_STYLE), 0);
    EXPECT_EQ(GetDC(first), nullptr);
    EXPECT_EQ(DefWindowProcA(nullptr, WM_CLOSE, 0, 0), 0);
}

TEST_F(PlatformTest, StockIconsCursorsAndObjectsExistAndOthersDoNot) {
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
    EXPECT_EQ(GetStockObject(9), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
}
