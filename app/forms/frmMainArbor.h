// Creating the main window's tree control the way any host does, by class identifier through the
// registry store, with the program registering the control's library itself when a fresh user has
// no registration yet or the registered file is gone, and the window's design-time settings.
#pragma once

#include "arbor/arbor.h"
#include "platform/com/ole/controlhost.h"

#include <QString>

namespace frmMainArbor {

// The library registered when the tree control's class is missing: $BIDLARK_ARBOR_LIBRARY when
// set, else libarbor.so beside the program, else ../lib/bidlark/libarbor.so (the installed
// layout). The first candidate that exists, or the one beside the program when none does.
QString libraryPath();

// Creates the tree control in `host`. When the class has no registration, its InprocServer32 names
// a file that does not exist, or the registered library cannot be created from, `library` is
// registered through its DllRegisterServer (into the user's registry store) and creation tried
// once more. On failure *problem (if given) tells the user which library failed and why.
[[nodiscard]] HRESULT createTreeControl(
    platform::com::ControlHost &host, const QString &library, QString *problem);

// The tree's design-time settings: drop border, white background, black text, no picture (centred
// when one is set), MS Sans Serif 8.25 pt, enabled, both scroll bars automatic, lines at root,
// lines, buttons, single selection shown always, no drop effect. Returns the first failure but
// applies every setting it can.
HRESULT applyDesignSettings(IArbor *tree);

} // namespace frmMainArbor
