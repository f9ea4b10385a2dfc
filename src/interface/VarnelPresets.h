// The built-in separation configurations: 57 named configuration texts,
// listed by the instance classes and loaded by name when a configuration
// name carries no file extension. The table is constant for the lifetime
// of the library and shared by every instance.
#pragma once

#include "varnel/varnel.h"

struct VarnelPreset {
    const char* name;
    const char* text;
};

// The records in ascending byte order of their names (the order of
// enumeration). The table has no terminating record: use the count.
const VarnelPreset* VarnelPresetTable();
int VarnelPresetCount();

// Calls proc(name, user) once for every record in table order and returns
// true; returns false without a call when proc is null. The result of proc
// is ignored. proc receives a pointer to a private copy of the name, valid
// only during the call.
bool VarnelEnumPresets(VarnelEnumProc proc, void* user);

// Looks a preset up by its exact name (case-sensitive) and hands out its
// text:
//  - name or size null, or no preset of that name: false, nothing written;
//  - buffer null: *size receives the text's length without the zero; true;
//  - *size below the length: nothing copied; true;
//  - otherwise *size bytes of the text are copied without appending a zero
//    (*size = length + 1 includes the text's own zero; a larger *size copies
//    no more than that); true.
bool VarnelGetPresetText(const char* name, long* size, char* buffer);
