// Root of every stage item: an enabled flag and the hooks the containers
// call. Concrete items override Initialize with an operation that does
// nothing.
#pragma once

class CVarnelItem {
public:
    CVarnelItem() = default;
    virtual ~CVarnelItem();
    virtual void Initialize();
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enabled);
    virtual void Reset();
    virtual void Release();

protected:
    bool m_enabled = true;
};
