// Root of the in-house base-library classes: a virtual destructor, a hook
// that does nothing (Validate) and a run-time class record that names the
// class of an object.
#pragma once

#include <cstdint>
#include <string>

class KBaseObject;

struct KRuntimeClass {
    std::string className;
    uint32_t objectSize;
    uint32_t schema;
    KBaseObject* (*createObject)();
    const KRuntimeClass* (*getBaseClass)();
};

class KBaseObject {
public:
    virtual const KRuntimeClass* GetRuntimeClass() const;
    virtual ~KBaseObject() = 0;
    virtual void Validate();

    static const KRuntimeClass* ClassRecord();
};
