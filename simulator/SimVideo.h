// The "live video" of a simulated camera: a frame painted into the station's panel window with
// the address, the local time to the tenth of a second, the last plate and, when it can be
// decoded, the last full picture scaled into the panel.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/Bytes.h"
#include "common/Win32Handles_win.h"

struct IWICImagingFactory;

namespace tavo::sim {

// Lives on the camera's own thread, which must have COM initialised while it decodes.
class SimVideo {
public:
    SimVideo();
    ~SimVideo();
    SimVideo(const SimVideo&) = delete;
    SimVideo& operator=(const SimVideo&) = delete;

    // Decodes a picture file (JPEG, or whatever the system's imaging codecs read) to show from
    // now on. A picture that cannot be decoded leaves none shown; nothing is reported.
    void SetPicture(const Bytes& pictureFile);

    // Paints one frame into the window's client area through GetDC/ReleaseDC; `gbkPlate` is
    // null before the first recognition. Skips quietly when the window is 0, not a window, or
    // has no client area.
    void Paint(std::uintptr_t window, const Bytes& gbkAddress, const Bytes* gbkPlate);

private:
    void DropPicture();
    // Draws the picture, if any, scaled into a width x height target.
    void DrawPicture(HDC target, HDC compatible, int width, int height) const;

    ComPtr<IWICImagingFactory> factory_;
    UniqueBitmap picture_;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
};

} // namespace tavo::sim
