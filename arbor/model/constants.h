// Numbers shared by the model, the view and the automation interface: node type codes, hit-test
// areas, link flags, style bits and sort directions.
#pragma once

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

enum DrawLinkEnum : DWORD {
    NoLinks = 0,
    PrevLink = 1,
    NextLink = 2,
    LeftLink = 4,
    RightLink = 8,
    ChildLink = 16,
    AllLinks = 31,
};

enum Styles : DWORD {
    ARBORSTYLE_NONE = 0,
    ARBORSTYLE_LINESATROOT = 1,
    ARBORSTYLE_HASLINES = 2,
    ARBORSTYLE_HASBUTTONS = 4,
    ARBORSTYLE_SINGLESEL = 8,
    ARBORSTYLE_SHOWSELALWAYS = 16,
    ARBORSTYLE_GRIDLINES = 32,
};

enum ItemSorts : LONG { Descending = -1, NoSort = 0, Ascending = 1 };

enum ItemVAlignmentEnum : LONG { TopAlignment = 0, BottomAlignment = 1, CenterAlignment = 2 };

enum PictureTypes : LONG { Collapsed = 0, Expanded = 1 };

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
