// One uninstaller per product and user at a time, through the platform's single-instance lock (an
// flock the kernel drops when the process ends, so a crashed uninstaller never blocks the next
// one). The lock is named after a hash of "swun_" + product + "_mutex", so no product name ("/",
// "..", control characters) can point it outside the lock folder.
#pragma once

#include "platform/ui/instancelock.h"

#include <QString>

#include <memory>
#include <string>

namespace uninstaller::frontend {

// The lock's name for a product (`productName` is the log's text): "swun-" and 32 hex digits.
QString productLockName(const std::string &productName);

// The held lock, or null when another process holds it (*heldElsewhere true) or no folder can
// hold the lock file (*heldElsewhere false). The user's runtime folder first, else a private
// folder in the temporary folder.
std::unique_ptr<platform::ui::SingleInstanceLock> tryLockProduct(
    const std::string &productName, bool *heldElsewhere = nullptr);

} // namespace uninstaller::frontend
