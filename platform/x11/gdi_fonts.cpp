// GDI objects (stock objects and fonts), selecting them into a device context, and the glyph
// display lists of wglUseFontBitmapsA: fontconfig finds the face, FreeType draws each character
// as a one-bit bitmap, and each becomes one glBitmap display list.
#include <GL/glx.h>
#include <pthread.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "platform/x11/fonts.h"
#include "platform/x11/handle_table.h"
#include "platform/x11/windows.h"

namespace {

enum class GdiKind { none, brush, font };

// What CreateFontA asks for.
struct LogicalFont {
    int height; // > 0: cell height, < 0: character height, 0: the default
    int width;  // average character width, 0: the face's own proportions
    int weight; // 100 to 900, 0: normal
    char face[32];
};

struct GdiObject {
    GdiKind kind; // none while free
    LogicalFont font;
};

// The stock objects the program uses: the black brush, and the system font that a device context
// starts with; their handles are opened by the first GetStockObject and never closed. The program
// makes one font at a time.
GdiObject blackBrush = {GdiKind::brush, {}};
GdiObject systemFont = {GdiKind::font, {16, 0, FW_NORMAL, "sans-serif"}};
HGDIOBJ brushHandle = nullptr, systemFontHandle = nullptr;
GdiObject madeFont;

GdiObject *findObject(HGDIOBJ handle) {
    return static_cast<GdiObject *>(
        platform::handleObject(handle, platform::HandleKind::gdiObject));
}

FT_Library freeType = nullptr;

// Reads fontconfig's configuration and font list while the window is being made; see
// prepareFonts.
pthread_t fontPreparation;
bool fontsPreparing = false;

void *prepareFontconfig(void *) {
    FcInit();
    return nullptr;
}

// The face fontconfig picks for the family and weight, as GDI's font mapper would; the program
// asks for no italics.
FT_Face openFace(const LogicalFont &font) {
    if (freeType == nullptr && FT_Init_FreeType(&freeType) != 0) {
        freeType = nullptr;
        return nullptr;
    }
    platform::finishFonts();
    if (!FcInit()) {
        return nullptr;
    }
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(font.face));
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        FcWeightFromOpenType(font.weight == FW_DONTCARE ? FW_NORMAL : font.weight));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    FT_Face face = nullptr;
    FcChar8 *file = nullptr;
    int index = 0;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (FT_New_Face(freeType, reinterpret_cast<const char *>(file), index, &face) != 0) {
            face = nullptr;
        }
    }
    FcPatternDestroy(match);
    return face;
}

// GDI's sizes: a positive height is the cell (ascent plus descent), a negative one the em; a
// width scales the face horizontally to that average character width.
bool setSize(FT_Face face, const LogicalFont &font) {
    const TT_OS2 *os2 = static_cast<const TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    double cellUnits = face->ascender - face->descender;
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        cellUnits = os2->usWinAscent + os2->usWinDescent;
    }
    const int height = font.height == 0 ? 16 : font.height;
    const double yEm = height > 0 ? height * unitsPerEm / cellUnits : -height;
    double xEm = yEm;
    if (font.width > 0 && os2 != nullptr && os2->xAvgCharWidth > 0) {
        xEm = font.width * unitsPerEm / os2->xAvgCharWidth;
    }
    return FT_Set_Char_Size(face, std::lround(xEm * 64), std::lround(yEm * 64), 72, 72) == 0;
}

// The rendered one-bit glyph as glBitmap wants it: rows bottom-up, each a whole number of bytes.
// The buffer is never empty, since Mesa refuses a display list built from a null bitmap.
void bitmapRows(const FT_Bitmap &bitmap, std::vector<GLubyte> &bits) {
    const unsigned rows = bitmap.rows;
    const unsigned rowBytes = (bitmap.width + 7) / 8;
    bits.assign(rowBytes * rows > 0 ? rowBytes * rows : 1, 0);
    for (unsigned row = 0; row < rows; ++row) {
        std::memcpy(&bits[(rows - 1 - row) * rowBytes],
                    bitmap.buffer + static_cast<long>(row) * bitmap.pitch, rowBytes);
    }
}

void compileGlyph(FT_Face face, DWORD character, GLuint list, std::vector<GLubyte> &bits) {
    const FT_Int32 flags = FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME;
    if (FT_Load_Char(face, character, flags) != 0) {
        FT_Load_Glyph(face, 0, flags);
    }
    const FT_GlyphSlot glyph = face->glyph;
    bitmapRows(glyph->bitmap, bits);
    const auto rows = static_cast<GLfloat>(glyph->bitmap.rows);
    glNewList(list, GL_COMPILE);
    glBitmap(static_cast<GLsizei>(glyph->bitmap.width), static_cast<GLsizei>(glyph->bitmap.rows),
             static_cast<GLfloat>(-glyph->bitmap_left), rows - glyph->bitmap_top,
             static_cast<GLfloat>((glyph->advance.x + 32) >> 6), 0, bits.data());
    glEndList();
}

} // namespace

void platform::prepareFonts() {
    fontsPreparing = pthread_create(&fontPreparation, nullptr, prepareFontconfig, nullptr) == 0;
    if (fontsPreparing) {
        pthread_setname_np(fontPreparation, "fontconfig");
    } else {
        std::fputs("nimbrost: no thread can start to read the font configuration; the text waits "
                   "for it\n",
                   stderr);
    }
}

void platform::finishFonts() {
    if (fontsPreparing) {
        pthread_join(fontPreparation, nullptr);
        fontsPreparing = false;
    }
}

HGDIOBJ GetStockObject(int i) {
    if (brushHandle == nullptr) {
        brushHandle = platform::openHandle(platform::HandleKind::gdiObject, &blackBrush);
        systemFontHandle = platform::openHandle(platform::HandleKind::gdiObject, &systemFont);
    }
    return i == BLACK_BRUSH ? brushHandle : (i == SYSTEM_FONT ? systemFontHandle : nullptr);
}

HFONT CreateFontA(int cHeight, int cWidth, int, int, int cWeight, DWORD, DWORD, DWORD, DWORD, DWORD,
                  DWORD, DWORD, DWORD, LPCSTR pszFaceName) {
    HGDIOBJ handle = madeFont.kind == GdiKind::none
                         ? platform::openHandle(platform::HandleKind::gdiObject, &madeFont)
                         : nullptr;
    if (handle != nullptr) {
        madeFont = GdiObject{GdiKind::font, {cHeight, cWidth < 0 ? -cWidth : cWidth, cWeight, {}}};
        if (pszFaceName != nullptr) {
            std::strncpy(madeFont.font.face, pszFaceName, sizeof madeFont.font.face - 1);
        }
    }
    return static_cast<HFONT>(handle);
}

// Only fonts are selected here, the one kind that matters to OpenGL drawing.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    platform::DeviceContext *dc = platform::findDc(hdc);
    const GdiObject *object = findObject(h);
    if (dc == nullptr || object == nullptr || object->kind != GdiKind::font) {
        return nullptr;
    }
    HGDIOBJ previous = dc->font != nullptr ? dc->font : GetStockObject(SYSTEM_FONT);
    dc->font = h;
    return previous;
}

// Stock objects are never deleted.
BOOL DeleteObject(HGDIOBJ ho) {
    GdiObject *object = findObject(ho);
    if (object == nullptr) {
        return FALSE;
    }
    if (object == &madeFont) {
        platform::closeHandle(ho, platform::HandleKind::gdiObject);
        madeFont = GdiObject();
    }
    return TRUE;
}

// One display list per character, first to first + count - 1, from the font selected into the
// context: glBitmap with the origin on the baseline at the pen position and the advance in
// whole pixels. Needs a current OpenGL context.
BOOL wglUseFontBitmapsA(HDC hdc, DWORD first, DWORD count, DWORD listBase) {
    platform::DeviceContext *dc = platform::findDc(hdc);
    if (dc == nullptr || glXGetCurrentContext() == nullptr) {
        return FALSE;
    }
    HGDIOBJ font = dc->font != nullptr ? dc->font : GetStockObject(SYSTEM_FONT);
    return platform::compileGlyphLists(font, first, count, listBase) ? TRUE : FALSE;
}

bool platform::compileGlyphLists(HGDIOBJ fontObject, DWORD first, DWORD count, DWORD listBase) {
    const GdiObject *font = findObject(fontObject);
    // ASCII alone, where the ANSI code page and Unicode agree: the program asks for no more.
    if (font == nullptr || font->kind != GdiKind::font || first > 0x7F || count > 0x80 - first) {
        return false;
    }
    FT_Face face = openFace(font->font);
    if (face == nullptr || !setSize(face, font->font)) {
        FT_Done_Face(face); // takes null
        return false;
    }
    // The program keeps the other unpacking settings at OpenGL's defaults.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::vector<GLubyte> bits;
    for (DWORD i = 0; i < count; ++i) {
        compileGlyph(face, first + i, listBase + i, bits);
    }
    glPopClientAttrib();
    FT_Done_Face(face);
    return true;
}
