// Everything a host includes to drive the tree-list control: identifiers, enumerations, IArbor,
// the DISPIDs of _IArborEvents and the auxiliary interfaces.
#pragma once

#include "arbor/auxiliary.h"
#include "arbor/enums.h"
#include "arbor/events.h"
#include "arbor/iarbor.h"
#include "arbor/ids.h"
