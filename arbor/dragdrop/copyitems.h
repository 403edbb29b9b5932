// Copying an item of one tree, with its right chain and everything below, into another tree
// through that tree's own item-adding members.
#pragma once

#include "arbor/iarbor.h"
#include "arbor/model/xtreemodel.h"

namespace arbor {

struct CopyResult {
    LONG copy = 0; // the new item for the source item, 0 when it was not copied
    bool complete = false; // every item was copied
};

// Copies hSource of `source` under hParent of the target tree (bDown: as its last child, else at
// the right end of its row). Each kind keeps its text, value, image keys and own colours; a
// three-state box stays three-state. Window and hosted-control items cannot be copied: such an
// item and everything right of and below it are left out, and the result is not complete. Nothing
// is copied when hSource is not valid in source or hParent not valid in targetModel.
// Breadth-first with a queue, so any depth copies without recursion; O(items copied).
CopyResult CopyItems(const XTreeModel &source, LONG hSource, IArbor &target,
    const XTreeModel &targetModel, LONG hParent, bool bDown);

} // namespace arbor
