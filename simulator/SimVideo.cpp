// Painting the simulated live video with GDI; pictures decoded with WIC.
#include "simulator/SimVideo.h"

#include <wincodec.h>

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

void DrawLine(HDC dc, int x, int& y, const std::wstring& text) {
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    TEXTMETRICW metrics;
    y += GetTextMetricsW(dc, &metrics) ? metrics.tmHeight + 2 : 16;
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

void SimVideo::Paint(std::uintptr_t window, const Bytes& gbkAddress, const Bytes* gbkPlate) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    if (!hwnd || !IsWindow(hwnd))
        return;
    RECT client;
    if (!GetClientRect(hwnd, &client) || client.right <= 0 || client.bottom <= 0)
        return;
    const int width = client.right, height = client.bottom;
    HDC windowDc = GetDC(hwnd);
    if (!windowDc)
        return;
    // Drawn off screen first, so the panel does not flicker ten times a second.
    HDC frameDc = CreateCompatibleDC(windowDc);
    HBITMAP frame = frameDc ? CreateCompatibleBitmap(windowDc, width, height) : nullptr;
    if (frame) {
        Selected frameSelected(frameDc, frame);
        HBRUSH background = CreateSolidBrush(RGB(24, 28, 36));
        FillRect(frameDc, &client, background);
        DeleteObject(background);

        if (picture_) {
            // Scaled to fit, aspect ratio kept, centred.
            int drawWidth = width, drawHeight = pictureHeight_ * width / pictureWidth_;
            if (drawHeight > height) {
                drawHeight = height;
                drawWidth = pictureWidth_ * height / pictureHeight_;
            }
            HDC pictureDc = CreateCompatibleDC(windowDc);
            if (pictureDc) {
                {
                    Selected pictureSelected(pictureDc, picture_);
                    SetStretchBltMode(frameDc, HALFTONE);
                    SetBrushOrgEx(frameDc, 0, 0, nullptr);
                    StretchBlt(frameDc, (width - drawWidth) / 2, (height - drawHeight) / 2,
                               drawWidth, drawHeight, pictureDc, 0, 0, pictureWidth_,
                               pictureHeight_, SRCCOPY);
                }
                DeleteDC(pictureDc);
            }
        }

        const LocalTime now = NowLocal();
        wchar_t clock[32];
        std::swprintf(clock, 32, L"%04d-%02d-%02d %02d:%02d:%02d.%d", now.year, now.month, now.day,
                      now.hour, now.minute, now.second, now.millisecond / 100);
        Selected fontSelected(frameDc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(frameDc, OPAQUE);
        SetBkColor(frameDc, RGB(0, 0, 0));
        SetTextColor(frameDc, RGB(255, 255, 255));
        int y = 4;
        DrawLine(frameDc, 6, y, L"SIM " + Wide(gbkAddress));
        DrawLine(frameDc, 6, y, clock);
        SetTextColor(frameDc, RGB(255, 220, 64));
        DrawLine(frameDc, 6, y, gbkPlate ? L"[" + Wide(*gbkPlate) + L"]" : std::wstring(L"-"));

        BitBlt(windowDc, 0, 0, width, height, frameDc, 0, 0, SRCCOPY);
    }
    if (frame)
        DeleteObject(frame);
    if (frameDc)
        DeleteDC(frameDc);
    ReleaseDC(hwnd, windowDc);
}

} // namespace tavo::sim
