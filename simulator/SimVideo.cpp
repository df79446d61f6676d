// Painting the simulated live video with GDI; pictures decoded with WIC.
#include "simulator/SimVideo.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/Clock.h"
#include "common/WideText_win.h"
#include "common/Win32Handles_win.h"

namespace tavo::sim {

namespace {

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
    const UniqueFont font(CreateFontW(-fontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
    SelectedObject fontSelected(dc, font ? font.Get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(255, 255, 255));
    int y = 4;
    DrawLine(dc, 6, y, L"SIM " + WideText(gbkAddress));
    DrawLine(dc, 6, y, clock);
    SetTextColor(dc, RGB(255, 220, 64));
    DrawLine(dc, 6, y, gbkPlate ? L"[" + WideText(*gbkPlate) + L"]" : std::wstring(L"-"));
}

} // namespace

SimVideo::SimVideo() = default;
SimVideo::~SimVideo() = default;

void SimVideo::DropPicture() {
    picture_.Reset();
    pictureWidth_ = pictureHeight_ = 0;
}

void SimVideo::SetPicture(const Bytes& pictureFile) {
    DropPicture();
    if (pictureFile.empty() || pictureFile.size() > 0x7FFFFFFF)
        return;
    if (!factory_ && FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IWICImagingFactory,
                                             reinterpret_cast<void**>(factory_.Receive())))) {
        factory_.Reset();
        return;
    }
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> converted;
    UINT width = 0, height = 0;
    bool ok = SUCCEEDED(factory_->CreateStream(stream.Receive())) &&
              SUCCEEDED(stream->InitializeFromMemory(
                  reinterpret_cast<BYTE*>(const_cast<char*>(pictureFile.data())),
                  static_cast<DWORD>(pictureFile.size()))) &&
              SUCCEEDED(factory_->CreateDecoderFromStream(
                  stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Receive())) &&
              SUCCEEDED(decoder->GetFrame(0, frame.Receive())) &&
              SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.Get(),
                                               converted.Receive())) &&
              SUCCEEDED(converted->GetSize(&width, &height)) && width > 0 && height > 0 &&
              width <= 16384 && height <= 16384;
    if (!ok)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // top-down rows, as WIC gives them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    picture_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (picture_ && bits &&
        SUCCEEDED(converted->CopyPixels(nullptr, width * 4, width * 4 * height,
                                        static_cast<BYTE*>(bits)))) {
        pictureWidth_ = static_cast<int>(width);
        pictureHeight_ = static_cast<int>(height);
    } else {
        DropPicture();
    }
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
    const UniqueDc pictureDc(CreateCompatibleDC(compatible));
    if (!pictureDc)
        return;
    SelectedObject pictureSelected(pictureDc.Get(), picture_.Get());
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchBlt(target, (width - drawWidth) / 2, (height - drawHeight) / 2, drawWidth, drawHeight,
               pictureDc.Get(), 0, 0, pictureWidth_, pictureHeight_, SRCCOPY);
}

void SimVideo::Paint(std::uintptr_t window, const Bytes& gbkAddress, const Bytes* gbkPlate) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    if (!hwnd || !IsWindow(hwnd))
        return;
    RECT client;
    if (!GetClientRect(hwnd, &client) || client.right <= 0 || client.bottom <= 0)
        return;
    const WindowDc windowDc(hwnd);
    if (!windowDc)
        return;
    // Drawn off screen first, so the panel does not flicker ten times a second.
    const UniqueDc frameDc(CreateCompatibleDC(windowDc.Get()));
    if (!frameDc)
        return;
    const UniqueBitmap frame(CreateCompatibleBitmap(windowDc.Get(), client.right, client.bottom));
    if (!frame)
        return;
    SelectedObject frameSelected(frameDc.Get(), frame.Get());
    const UniqueBrush background(CreateSolidBrush(RGB(24, 28, 36)));
    FillRect(frameDc.Get(), &client, background.Get());
    DrawPicture(frameDc.Get(), windowDc.Get(), client.right, client.bottom);
    DrawCaption(frameDc.Get(), client.bottom, gbkAddress, gbkPlate);
    BitBlt(windowDc.Get(), 0, 0, client.right, client.bottom, frameDc.Get(), 0, 0, SRCCOPY);
}

} // namespace tavo::sim
