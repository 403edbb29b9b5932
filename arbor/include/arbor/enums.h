// The enumerations of the tree-list control's type library. All are 32-bit; members that take one
// of them are declared with LONG in the interfaces, the way the value travels in a VARIANT.
#pragma once

#include "platform/wintypes.h"

enum BorderEffects : LONG {
    BorderEffectNone = 0,
    BorderEffectSingle = 1,
    BorderEffectRaised = 2,
    BorderEffectPop = 3,
    BorderEffectDrop = 4,
    BorderEffectShadow = 5,
    BorderEffectInset = 6,
};

enum PictureTypes : LONG {
    Collapsed = 0,
    Expanded = 1,
};

enum ItemSorts : LONG {
    Descending = -1,
    Ascending = 1,
    NoSort = 0,
};

enum Styles : LONG {
    ARBORSTYLE_NONE = 0,
    ARBORSTYLE_LINESATROOT = 1,
    ARBORSTYLE_HASLINES = 2,
    ARBORSTYLE_HASBUTTONS = 4,
    ARBORSTYLE_SINGLESEL = 8,
    ARBORSTYLE_SHOWSELALWAYS = 16,
    ARBORSTYLE_GRIDLINES = 32,
    ARBORSTYLE_ALL = 65535,
};

enum DropEffects : LONG {
    ARBORDROPEFFECT_NONE = 0,
    ARBORDROPEFFECT_COPY = 1,
    ARBORDROPEFFECT_MOVE = 2,
    ARBORDROPEFFECT_LINK = 4,
    ARBORDROPEFFECT_ALL = 7,
};

enum PicturePositions : LONG {
    UpperLeft = 0,
    UpperCenter = 1,
    UpperRight = 2,
    CenterLeft = 16,
    CenterCenter = 17,
    CenterRight = 18,
    BottomLeft = 32,
    BottomCenter = 33,
    BottomRight = 34,
};

enum MousePointers : LONG {
    Default = 0,
    Arrow = 1,
    Ibeam = 2,
    HourGlass = 3,
    Cross = 4,
    UpArrow = 5,
    SizeNWSE = 6,
    SizeNESW = 7,
    SizeWE = 8,
    SizeNS = 9,
    SizeAll = 10,
    NoDrop = 11,
    Icon = 99,
};

enum DrawLinkEnum : LONG {
    NoLinks = 0,
    PrevLink = 1,
    NextLink = 2,
    LeftLink = 4,
    RightLink = 8,
    ChildLink = 16,
    AllLinks = 31,
};

// The value divides the free height of a row, so bottom (1) sits below center (2).
enum ItemVAlignmentEnum : LONG {
    TopAlignment = 0,
    CenterAlignment = 2,
    BottomAlignment = 1,
};
