#include "base/KBaseObject.h"

const KRuntimeClass* KBaseObject::ClassRecord()
{
    // Built on first use, so that it is complete before any static object
    // of another translation unit can ask for it.
    static const KRuntimeClass record{"KBaseObject", sizeof(void*), 0xFFFF, nullptr, nullptr};
    return &record;
}

const KRuntimeClass* KBaseObject::GetRuntimeClass() const { return ClassRecord(); }

KBaseObject::~KBaseObject() = default;

void KBaseObject::Validate() {}
