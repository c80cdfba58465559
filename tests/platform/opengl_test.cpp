#include "tests/platform/platform_test.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/sdl/sdl_platform.h"

class OpenGlTest : public PlatformTest {
  protected:
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;

    void SetUp() override {
        PlatformTest::SetUp();
        window = makeWindow(WS_POPUP | WS_VISIBLE | WS_BORDER);
        ASSERT_NE(window, nullptr);
        dc = GetDC(window);
        PIXELFORMATDESCRIPTOR request;
        std::memset(&request, 0, sizeof request);
        request.nSize = sizeof request;
        request.nVersion = 1;
        request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        request.cColorBits = 32;
        request.cDepthBits = 16;
        const int format = ChoosePixelFormat(dc, &request);
        ASSERT_NE(format, 0);
        ASSERT_TRUE(SetPixelFormat(dc, format, &request));
        EXPECT_FALSE(SetPixelFormat(dc, format, &request)) << "a window's format is set once";
        context = wglCreateContext(dc);
        ASSERT_NE(context, nullptr);
        EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr) << "creating does not make current";
        ASSERT_TRUE(wglMakeCurrent(dc, context));
    }

    void TearDown() override {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
        ReleaseDC(window, dc);
        PlatformTest::TearDown();
    }

    // Glyph lists of the program's font; 0 if they could not be made.
    GLuint makeFontLists(const char *face) {
        HFONT font = CreateFontA(16, 8, 0, 0, FW_LIGHT, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0, face);
        HGDIOBJ previous = SelectObject(dc, font);
        EXPECT_EQ(previous, GetStockObject(SYSTEM_FONT));
        const GLuint base = glGenLists(96);
        const BOOL made = wglUseFontBitmapsA(dc, 32, 96, base);
        EXPECT_FALSE(DeleteObject(font)) << "still selected";
        SelectObject(dc, previous);
        EXPECT_TRUE(DeleteObject(font));
        return made ? base : 0;
    }

    // Draws text with its pen at (x, y) in window pixels; returns the pen position after it.
    int drawText(GLuint base, const std::string &text, int x, int y) {
        glRasterPos2i(x, y);
        glListBase(base - 32);
        glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
        GLint position[4];
        glGetIntegerv(GL_CURRENT_RASTER_POSITION, position);
        return position[0];
    }

    // The lit pixels of a 32 x 32 cell with its lower-left corner at (x, y), bottom row first.
    std::vector<bool> cell(int x, int y) {
        std::vector<GLubyte> rgba(32 * 32 * 4);
        glReadPixels(x, y, 32, 32, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        std::vector<bool> lit(32 * 32);
        for (int i = 0; i < 32 * 32; ++i) {
            lit[i] = rgba[i * 4] > 128;
        }
        return lit;
    }

    // The lowest and highest lit rows of a cell, relative to its bottom; -1 when empty.
    static void inkRows(const std::vector<bool> &lit, int &bottom, int &top) {
        bottom = top = -1;
        for (int row = 0; row < 32; ++row) {
            for (int column = 0; column < 32; ++column) {
                if (lit[row * 32 + column]) {
                    bottom = bottom < 0 ? row : bottom;
                    top = row;
                }
            }
        }
    }
};

TEST_F(OpenGlTest, TheContextIsACompatibilityContextWithTheWindowsBuffers) {
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_NE(profile & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT, 0);
    GLint depthBits = 0;
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depthBits);
    EXPECT_GE(depthBits, 16);
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_TRUE(doubleBuffered);

    // What the swap shows is checked on screen by the end-to-end tests: the front buffer of a
    // window cannot be read back here.
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    GLubyte back[4] = {0, 0, 0, 0};
    glReadPixels(400, 300, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, back);
    EXPECT_EQ(back[1], 255);
    EXPECT_TRUE(SwapBuffers(dc));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FALSE(SwapBuffers(nullptr));
}

TEST_F(OpenGlTest, GlyphListsDrawEveryCharacterDistinctlyOnTheBaseline) {
    const GLuint base = makeFontLists("Verdana");
    ASSERT_NE(base, 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);

    // One character per 32 x 32 cell, pen 4 pixels from the cell's left and 8 above its bottom.
    std::vector<std::vector<bool>> glyphs(96);
    std::vector<int> advances(96);
    for (int c = 32; c < 128; ++c) {
        glClear(GL_COLOR_BUFFER_BIT);
        advances[c - 32] = drawText(base, std::string(1, static_cast<char>(c)), 104, 108) - 104;
        glyphs[c - 32] = cell(100, 100);
    }
    int bottom = 0, top = 0;
    inkRows(glyphs[' ' - 32], bottom, top);
    EXPECT_EQ(top, -1) << "the space draws nothing";
    EXPECT_GT(advances[0], 2);
    for (int c = 33; c < 127; ++c) {
        inkRows(glyphs[c - 32], bottom, top);
        EXPECT_GE(top, 0) << "character " << c << " draws nothing";
        for (int other = 33; other < c; ++other) {
            EXPECT_NE(glyphs[c - 32], glyphs[other - 32])
                << char(c) << " looks like " << char(other);
        }
    }
    // Letters sit on the baseline (row 8), descenders go below it; the cell is 16 pixels high.
    inkRows(glyphs['x' - 32], bottom, top);
    EXPECT_EQ(bottom, 8);
    const int xHeight = top - bottom + 1;
    inkRows(glyphs['H' - 32], bottom, top);
    EXPECT_EQ(bottom, 8);
    EXPECT_GT(top - bottom + 1, xHeight);
    int descender = 0;
    inkRows(glyphs['g' - 32], descender, top);
    EXPECT_LT(descender, 8);
    int ascender = 0;
    inkRows(glyphs['l' - 32], bottom, ascender);
    EXPECT_LE(ascender - descender + 1, 16);
    EXPECT_GE(ascender - descender + 1, 12);
    // Advances: digits share one width, m is wider than i, lower-case letters average about 8.
    for (int digit = '1'; digit <= '9'; ++digit) {
        EXPECT_EQ(advances[digit - 32], advances['0' - 32]);
    }
    EXPECT_GT(advances['m' - 32], advances['i' - 32]);
    int sum = 0;
    for (int letter = 'a'; letter <= 'z'; ++letter) {
        sum += advances[letter - 32];
    }
    EXPECT_NEAR(sum / 26.0, 8.0, 1.5);
    // A string's pen moves by the sum of its characters' advances.
    EXPECT_EQ(drawText(base, "Help:", 10, 300) - 10, advances['H' - 32] + advances['e' - 32] +
                                                         advances['l' - 32] + advances['p' - 32] +
                                                         advances[':' - 32]);
    glDeleteLists(base, 96);
}

TEST_F(OpenGlTest, GlyphListsNeedAFontAndAContextButAnyFaceName) {
    const GLuint fallback = makeFontLists("No Such Face Anywhere");
    EXPECT_NE(fallback, 0u);
    glDeleteLists(fallback, 96);
    EXPECT_TRUE(wglUseFontBitmapsA(dc, 32, 96, glGenLists(96))) << "the system font";
    EXPECT_FALSE(wglUseFontBitmapsA(dc, 200, 100, 1)) << "beyond the ANSI characters";
    EXPECT_FALSE(wglUseFontBitmapsA(nullptr, 32, 96, 1));
    wglMakeCurrent(nullptr, nullptr);
    EXPECT_FALSE(wglUseFontBitmapsA(dc, 32, 96, 1));
    EXPECT_FALSE(wglMakeCurrent(dc, nullptr) == FALSE);
    EXPECT_FALSE(wglMakeCurrent(nullptr, context));
    EXPECT_TRUE(wglMakeCurrent(dc, context));
}
