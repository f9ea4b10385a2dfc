#include "config/VarnelLookupRecorder.h"

namespace {

thread_local CVarnelLookupRecorder::Lookups* t_lookups = nullptr;

}  // namespace

CVarnelLookupRecorder::CVarnelLookupRecorder(Lookups& lookups) : m_outer(t_lookups)
{
    t_lookups = &lookups;
}

CVarnelLookupRecorder::~CVarnelLookupRecorder()
{
    t_lookups = m_outer;
}

void CVarnelLookupRecorder::Note(const char* key)
{
    if (t_lookups && key[0] == '*') {
        // Before any step (outside ParseText) a lookup counts for every step.
        const int step = t_lookups->lastStep;
        t_lookups->keys[key] |= step < 0 ? ~uint32_t(0) : uint32_t(1) << step;
    }
}

void CVarnelLookupRecorder::BeginStep(int step)
{
    if (t_lookups)
        t_lookups->lastStep = step;
}
