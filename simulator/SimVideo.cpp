// Painting the simulated live video with GDI; pictures decoded with WIC.
#include "simulator/SimVideo.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/Clock.h"
#include "common/GbkText.h"

namespace tavo::sim {

namespace {

template <typename T> void Release(T*& object) {
    if (object)
        object->Release();
    object = nullptr;
}

std::wstring Wide(const Bytes& gbk) {
    const std::u16string text = GbkToUtf16(gbk);
    return std::wstring(text.begin(), text.end());
}

// A GDI object selected into a DC for one scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, previous_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Owns a GDI object (font, brush, bitmap) and deletes it at the end of the scope; declare it
// before the Selected that puts it into a DC, so it is deselected first.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object) : object_(object) {}
    ~GdiObject() {
        if (object_)
            DeleteObject(object_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const { return object_; }

private:
    HGDIOBJ object_;
};

void DrawLine(HDC dc, int x, int& y, const std::wstring& text) {
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    TEXTMETRICW metrics;
    y += GetTextMetricsW(dc, &metrics) ? metrics.tmHeight + 2 : 16;
}

// The caption in the top left corner: address, clock to the tenth of a second, last plate.
void DrawCaption(HDC dc, int panelHeight, const Bytes& gbkAddress, const Bytes* gbkPlate) {
    const LocalTime now = NowLocal();
    wchar_t clock[32];
    std::swprintf(clock, 32, L"%04d-%02d-%02d %02d:%02d:%02d.%d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second, now.millisecond / 100);
    // Caption size follows the panel, so it stays readable in a large or a small one.
    const int fontHeight = std::clamp(panelHeight / 14, 14, 36);
    const GdiObject font(CreateFontW(-fontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
    Selected fontSelected(dc, font.get() ? font.get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(255, 255, 255));
    int y = 4;
    DrawLine(dc, 6, y, L"SIM " + Wide(gbkAddress));
    DrawLine(dc, 6, y, clock);
    SetTextColor(dc, RGB(255, 220, 64));
    DrawLine(dc, 6, y, gbkPlate ? L"[" + Wide(*gbkPlate) + L"]" : std::wstring(L"-"));
}

} // namespace

SimVideo::~SimVideo() {
    DropPicture();
    Release(factory_);
}

void SimVideo::DropPicture() {
    if (picture_)
        DeleteObject(picture_);
    picture_ = nullptr;
    pictureWidth_ = pictureHeight_ = 0;
}

void SimVideo::SetPicture(const Bytes& pictureFile) {
    DropPicture();
    if (pictureFile.empty() || pictureFile.size() > 0x7FFFFFFF)
        return;
    if (!factory_ &&
        FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory_)))) {
        factory_ = nullptr;
        return;
    }
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICBitmapSource* converted = nullptr;
    UINT width = 0, height = 0;
    bool ok = SUCCEEDED(factory_->CreateStream(&stream)) &&
              SUCCEEDED(stream->InitializeFromMemory(
                  reinterpret_cast<BYTE*>(const_cast<char*>(pictureFile.data())),
                  static_cast<DWORD>(pictureFile.size()))) &&
              SUCCEEDED(factory_->CreateDecoderFromStream(
                  stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) &&
              SUCCEEDED(decoder->GetFrame(0, &frame)) &&
              SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame, &converted)) &&
              SUCCEEDED(converted->GetSize(&width, &height)) && width > 0 && height > 0 &&
              width <= 16384 && height <= 16384;
    if (ok) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = static_cast<LONG>(width);
        info.bmiHeader.biHeight = -static_cast<LONG>(height); // top-down rows, as WIC gives them
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        picture_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ok = picture_ && bits &&
             SUCCEEDED(converted->CopyPixels(nullptr, width * 4, width * 4 * height,
                                             static_cast<BYTE*>(bits)));
        if (ok) {
            pictureWidth_ = static_cast<int>(width);
            pictureHeight_ = static_cast<int>(height);
        } else {
            DropPicture();
        }
    }
    Release(converted);
    Release(frame);
    Release(decoder);
    Release(stream);
}

void SimVideo::DrawPicture(HDC target, HDC compatible, int width, int height) const {
    if (!picture_)
        return;
    // Scaled to fit, aspect ratio kept, centred.
    int drawWidth = width, drawHeight = pictureHeight_ * width / pictureWidth_;
    if (drawHeight > height) {
        drawHeight = height;
        drawWidth = pictureWidth_ * height / pictureHeight_;
    }
    HDC pictureDc = CreateCompatibleDC(compatible);
    if (!pictureDc)
        return;
    {
        Selected pictureSelected(pictureDc, picture_);
        SetStretchBltMode(target, HALFTONE);
        SetBrushOrgEx(target, 0, 0, nullptr);
        StretchBlt(target, (width - drawWidth) / 2, (height - drawHeight) / 2, drawWidth,
                   drawHeight, pictureDc, 0, 0, pictureWidth_, pictureHeight_, SRCCOPY);
    }
    DeleteDC(pictureDc);
}

void SimVideo::Paint(std::uintptr_t window, const Bytes& gbkAddress, const Bytes* gbkPlate) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    if (!hwnd || !IsWindow(hwnd))
        return;
    RECT client;
    if (!GetClientRect(hwnd, &client) || client.right <= 0 || client.bottom <= 0)
        return;
    HDC windowDc = GetDC(hwnd);
    if (!windowDc)
        return;
    // Drawn off screen first, so the panel does not flicker ten times a second.
    HDC frameDc = CreateCompatibleDC(windowDc);
    if (frameDc) {
        const GdiObject frame(CreateCompatibleBitmap(windowDc, client.right, client.bottom));
        if (frame.get()) {
            Selected frameSelected(frameDc, frame.get());
            const GdiObject background(CreateSolidBrush(RGB(24, 28, 36)));
            FillRect(frameDc, &client, static_cast<HBRUSH>(background.get()));
            DrawPicture(frameDc, windowDc, client.right, client.bottom);
            DrawCaption(frameDc, client.bottom, gbkAddress, gbkPlate);
            BitBlt(windowDc, 0, 0, client.right, client.bottom, frameDc, 0, 0, SRCCOPY);
        }
        DeleteDC(frameDc);
    }
    ReleaseDC(hwnd, windowDc);
}

} // namespace tavo::sim
