#include "config/VarnelLookupRecorder.h"

namespace {

thread_local std::set<std::string>* t_keys = nullptr;

}  // namespace

CVarnelLookupRecorder::CVarnelLookupRecorder(std::set<std::string>& keys) : m_outer(t_keys)
{
    t_keys = &keys;
}

CVarnelLookupRecorder::~CVarnelLookupRecorder()
{
    t_keys = m_outer;
}

void CVarnelLookupRecorder::Note(const char* key)
{
    if (t_keys)
        t_keys->insert(key);
}
