// Chinese text in the Wine prefix the programs run in: the faces the station and the simulator
// draw with (the caption font, Tahoma, 宋体) give every Chinese character its own glyph. Without a
// Chinese font behind them each character is drawn as the same empty box.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kSize = 64;

// The pixels of one character drawn black on white with the given font.
std::vector<DWORD> Draw(const LOGFONTW& face, wchar_t character) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HFONT font = CreateFontIndirectW(&face);
    EXPECT_TRUE(dc && bitmap && font && bits);
    std::vector<DWORD> pixels;
    if (dc && bitmap && font && bits) {
        const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        const HGDIOBJ oldFont = SelectObject(dc, font);
        const RECT all{0, 0, kSize, kSize};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 4, 4, &character, 1);
        GdiFlush();
        const auto* first = static_cast<const DWORD*>(bits);
        pixels.assign(first, first + kSize * kSize);
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
    }
    if (font)
        DeleteObject(font);
    if (bitmap)
        DeleteObject(bitmap);
    if (dc)
        DeleteDC(dc);
    return pixels;
}

LOGFONTW Face(const wchar_t* name, BYTE charset) {
    LOGFONTW face{};
    face.lfHeight = -40;
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = charset;
    wcsncpy(face.lfFaceName, name, LF_FACESIZE - 1);
    return face;
}

LOGFONTW CaptionFace() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    LOGFONTW face = metrics.lfCaptionFont;
    face.lfHeight = -40;
    return face;
}

TEST(ChineseText, EveryFaceTheProgramsDrawWithHasChineseGlyphs) {
    const struct {
        const char* name;
        LOGFONTW face;
    } cases[] = {
        {"caption font", CaptionFace()},
        {"Tahoma", Face(L"Tahoma", DEFAULT_CHARSET)},
        {"MS Shell Dlg", Face(L"MS Shell Dlg", DEFAULT_CHARSET)},
        {"宋体", Face(L"\u5b8b\u4f53", GB2312_CHARSET)},
    };
    const std::vector<DWORD> blank(kSize * kSize, 0x00FFFFFF);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<DWORD> gao = Draw(c.face, L'\u9ad8');  // 高
        const std::vector<DWORD> qing = Draw(c.face, L'\u6e05'); // 清
        ASSERT_EQ(gao.size(), blank.size());
        ASSERT_EQ(qing.size(), blank.size());
        EXPECT_NE(gao, blank) << "nothing drawn";
        EXPECT_NE(gao, qing) << "two characters drawn alike: boxes, no Chinese font";
    }
}

} // namespace
