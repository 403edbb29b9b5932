// Command notifications: a child window tells its parent what happened to it (a button was
// clicked, an edit's text changed) with WM_COMMAND, wParam = MAKEWPARAM(control id, code) and
// lParam = the child's handle. Qt widgets signal instead; this maps their signals to those codes,
// so a window that adopts a widget (a tree item holding a window) sees the same notifications.
#pragma once

#include "platform/ui/handles.h"

// Buttons (QAbstractButton).
inline constexpr WORD BN_CLICKED = 0;
inline constexpr WORD BN_DOUBLECLICKED = 5;
// Edits (QLineEdit, QTextEdit, QPlainTextEdit).
inline constexpr WORD EN_SETFOCUS = 0x0100;
inline constexpr WORD EN_KILLFOCUS = 0x0200;
inline constexpr WORD EN_CHANGE = 0x0300;
// Combo boxes (QComboBox).
inline constexpr WORD CBN_SELCHANGE = 1;
inline constexpr WORD CBN_SETFOCUS = 3;
inline constexpr WORD CBN_KILLFOCUS = 4;
inline constexpr WORD CBN_EDITCHANGE = 5;
// List boxes (QListView, QListWidget).
inline constexpr WORD LBN_SELCHANGE = 1;
inline constexpr WORD LBN_DBLCLK = 2;
inline constexpr WORD LBN_SETFOCUS = 4;
inline constexpr WORD LBN_KILLFOCUS = 5;

namespace platform::ui {

// From now on, the widget's signals reach its parent of the moment as WM_COMMAND (nothing is sent
// while it has no parent). Idempotent; the mapping lives as long as the widget. FALSE for an
// invalid handle or a widget of a kind without notifications.
//   QAbstractButton clicked -> BN_CLICKED
//   QLineEdit textChanged -> EN_CHANGE, focus -> EN_SETFOCUS/EN_KILLFOCUS
//   QTextEdit/QPlainTextEdit textChanged -> EN_CHANGE, focus -> EN_SETFOCUS/KILLFOCUS
//   QComboBox activated -> CBN_SELCHANGE, editTextChanged -> CBN_EDITCHANGE, focus
//   QListView current item changed -> LBN_SELCHANGE (set the model first), doubleClicked ->
//   LBN_DBLCLK, focus
BOOL enableCommandNotifications(HWND child);

} // namespace platform::ui
