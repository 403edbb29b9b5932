// Numbers shared by the model and the view: node type codes, hit-test areas, geometry, colours and
// state icons. Style bits, link flags, sort directions and alignments are the public enumerations.
#pragma once

#include "arbor/enums.h"
#include "platform/ui/handles.h"
#include "platform/wintypes.h"

namespace arbor {

enum NodeType : LONG {
    kTypePlain = 1,
    kTypeCheck = 2,
    kTypeCheck3 = 3,
    kTypeControl = 4,
    kTypeIconString = 5,
    kTypeImageString = 6,
    kTypeRadio = 7,
    kTypeString = 8,
    kTypeWindow = 9,
};

// Where a point falls on an item.
enum HitArea : int {
    kHitOutside = -1,
    kHitButton = 0, // the expand-button column
    kHitBox = 1, // check box, radio button or image tile
    kHitItem = 2,
};

// Geometry every node kind shares, in pixels.
inline constexpr int kButtonColumn = 14;
inline constexpr int kMinTextHeight = 14;
inline constexpr int kTextExtraWidth = 20;
inline constexpr int kTextExtraHeight = 3;
inline constexpr int kIconSize = 16;
inline constexpr int kIconSpacing = 3;
inline constexpr int kWindowMargin = 3;
inline constexpr int kMinControlSize = 32;

// Colours as the Windows COLORREF 0x00BBGGRR.
inline constexpr COLORREF kWhite = 0xFFFFFF;
inline constexpr COLORREF kBlack = 0x000000;
inline constexpr COLORREF kLightGrey = 0xC0C0C0;
inline constexpr COLORREF kGrey = 0x808080;
inline constexpr COLORREF kSelectionBlue = 0x800000; // RGB(0, 0, 128)

// Resource numbers of the state icons the check and radio kinds draw.
enum StateIcon : int {
    kIconUnchecked = 221,
    kIconChecked = 222,
    kIconRadioOff = 223,
    kIconRadioOn = 224,
    kIconIndeterminate = 244,
};

} // namespace arbor
