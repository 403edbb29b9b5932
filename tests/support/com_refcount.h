// The reference count an object reports, read without changing it: tests use it to prove that a
// holder took or let go of exactly its own reference.
#pragma once

#include "platform/com/com.h"

inline ULONG refCount(IUnknown *object)
{
    object->AddRef();
    return object->Release();
}
