// The component object layer: the subset of COM, OLE and automation that the components and
// hosts of this tree use, with the Windows SDK's names and signatures.
#pragma once

#include "platform/com/automation.h"
#include "platform/com/boundary.h"
#include "platform/com/bstr.h"
#include "platform/com/classfactory.h"
#include "platform/com/connection.h"
#include "platform/com/creation.h"
#include "platform/com/dispatch.h"
#include "platform/com/enumvariant.h"
#include "platform/com/errorinfo.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/com/registrar.h"
#include "platform/com/server_module.h"
#include "platform/com/storage.h"
#include "platform/com/typeinfo.h"
#include "platform/com/typelib.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"
