// Records the keys that FindKeyOffset looks for on this thread while a
// recorder lives: what a parse of a text asked of it.
#pragma once

#include <set>
#include <string>

class CVarnelLookupRecorder {
public:
    explicit CVarnelLookupRecorder(std::set<std::string>& keys);
    ~CVarnelLookupRecorder();
    CVarnelLookupRecorder(const CVarnelLookupRecorder&) = delete;
    CVarnelLookupRecorder& operator=(const CVarnelLookupRecorder&) = delete;

    // Called by FindKeyOffset for every key it looks for.
    static void Note(const char* key);

private:
    std::set<std::string>* m_outer;  // the recorder that was active before this one
};
