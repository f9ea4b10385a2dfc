// Records, while a recorder lives on a thread, what the parses on that
// thread look for to tell whether a key is switched off: every key
// FindKeyOffset is asked for that begins with '*' ("*KEY="), with the
// steps of CVarnel::ParseText that asked, and the step that began last.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class CVarnelLookupRecorder {
public:
    struct Lookups {
        std::map<std::string, uint32_t> keys;  // "*KEY=" -> a bit per step that looked for it
        int lastStep = -1;                     // the step that began last; -1 while none has
    };

    explicit CVarnelLookupRecorder(Lookups& lookups);
    ~CVarnelLookupRecorder();
    CVarnelLookupRecorder(const CVarnelLookupRecorder&) = delete;
    CVarnelLookupRecorder& operator=(const CVarnelLookupRecorder&) = delete;

    // Called by FindKeyOffset for every key it looks for; other keys than
    // "*KEY=" are not kept.
    static void Note(const char* key);
    // Called by CVarnel::ParseText as each of its steps begins.
    static void BeginStep(int step);

private:
    Lookups* m_outer;  // the recorder's lookups that were recorded before this one
};
