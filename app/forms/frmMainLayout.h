// The main window's layout rule, as a pure function of the sizes involved, all in twips, so it can
// be checked with numbers. The window applies the result on every resize.
#pragma once

namespace frmMainLayout {

// Below this window height (twips) the children stay where they are.
inline constexpr double kMinLayoutHeight = 1550;
// Room left for the title bar, menu bar and borders, which the window height includes.
inline constexpr double kFrameAllowance = 700;
inline constexpr double kBannerHeight = 900;
// The strip and the tree stop this far from the window's right edge (its border and the scroll
// bar of a sizeable window).
inline constexpr double kRightMargin = 130;
// Status panel 2 leaves this much of the window width to panel 1 and the size grip.
inline constexpr double kPanel1Allowance = 400;

struct Input {
    double windowWidth = 0; // outer size, frame included
    double windowHeight = 0;
    double toolbar1Height = 0;
    double toolbar2Height = 0;
    double statusBarTop = 0; // in the window's client coordinates
    double statusBarHeight = 0;
    double bannerHeight = 0; // the strip's height before this layout
    double pictureWidth = 0; // the banner picture inside the strip
};

struct Box {
    double left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const Box &, const Box &) = default;
};

struct Result {
    bool apply = false; // false: the window is too low, nothing moves
    Box tree;
    Box banner;
    double pictureLeft = 0; // centres the picture in the strip
    double statusPanel2Width = 0;
};

// The new geometry. Differences that come out negative are passed on unchanged; the caller keeps
// the old value wherever a widget cannot take one.
Result compute(const Input &in);

} // namespace frmMainLayout
