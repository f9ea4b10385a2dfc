#include "config/VarnelItem.h"

CVarnelItem::~CVarnelItem() = default;

void CVarnelItem::Initialize()
{
    m_enabled = true;
}

bool CVarnelItem::IsEnabled() const
{
    return m_enabled;
}

void CVarnelItem::SetEnabled(bool enabled)
{
    m_enabled = enabled;
}

void CVarnelItem::Reset() {}

void CVarnelItem::Release() {}
