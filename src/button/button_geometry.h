#pragma once
// Where the eight frame slices of a state picture go on a button face, and where
// the caption sits. Lengths are twips unless named pixels; the frame arithmetic
// is 16-bit like the rest of the control's fields.
#include <array>
#include <cstdint>

namespace corvalinth::button {

inline constexpr int kPictureWidthPixels = 64;
inline constexpr int kPictureHeightPixels = 25;
// The state pictures are addressed in twips at this fixed factor, whatever the display.
inline constexpr double kPictureTwipsPerPixel = 15.0;
inline constexpr double kLabelHeightTwips = 195.0;

// The values a paint derives from the control's size. A step whose result does not
// fit 16 bits is skipped and keeps what the previous paint computed.
struct FrameGeometry {
    std::int16_t middleWidth = 0;   // W - 120
    std::int16_t middleHeight = 0;  // H - 120
    std::int16_t rightX = 0;        // 60 + middleWidth
    std::int16_t bottomY = 0;       // 60 + middleHeight
    friend bool operator==(const FrameGeometry&, const FrameGeometry&) = default;
};

void UpdateFrameGeometry(FrameGeometry& geometry, double widthTwips, double heightTwips);

struct TwipsRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct FrameSlice {
    TwipsRect source;  // in the state picture
    TwipsRect dest;    // on the face
};

// In drawing order: top-left, top, top-right, right, bottom-right, bottom,
// bottom-left, left.
std::array<FrameSlice, 8> FrameSlices(const FrameGeometry& geometry);

// Position and size are converted separately, each to the nearest pixel.
PixelRect ToPixels(const TwipsRect& rect, double twipsPerPixelX, double twipsPerPixelY);

// The caption label's top: 10 twips above the vertical middle of the face.
double CaptionTop(double heightTwips, double labelHeightTwips);

}  // namespace corvalinth::button
