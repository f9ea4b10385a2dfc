// Engines that share one pixel plan and one cache table, handed out one per
// conversion so that threads convert at once, each with scratch state of its
// own. Engines come back after their conversion and serve later ones, so
// that steady use allocates nothing; the pool keeps as many as were ever
// busy at once, up to a limit.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

class CVarnelCacheContainer;
class CVarnelIF;
class CVarnelPixelPlan;

class CVarnelEnginePool {
public:
    // cache may be null; it must outlive the pool.
    CVarnelEnginePool(std::shared_ptr<const CVarnelPixelPlan> plan, CVarnelCacheContainer* cache);
    ~CVarnelEnginePool();
    CVarnelEnginePool(const CVarnelEnginePool&) = delete;
    CVarnelEnginePool& operator=(const CVarnelEnginePool&) = delete;

    // An engine for one conversion, back to the pool when it goes out of
    // scope. Its remembered pixel is forgotten: a conversion depends on
    // nothing before it. Raises std::bad_alloc when memory is short.
    class Lease {
    public:
        Lease(Lease&& other) noexcept : m_pool(other.m_pool), m_engine(std::move(other.m_engine)) {}
        ~Lease();
        CVarnelIF& operator*() const { return *m_engine; }
        CVarnelIF* operator->() const { return m_engine.get(); }

    private:
        friend class CVarnelEnginePool;
        Lease(CVarnelEnginePool& pool, std::unique_ptr<CVarnelIF> engine);
        CVarnelEnginePool& m_pool;
        std::unique_ptr<CVarnelIF> m_engine;
    };
    Lease Take();

private:
    std::shared_ptr<const CVarnelPixelPlan> m_plan;
    CVarnelCacheContainer* m_cache;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<CVarnelIF>> m_idle;
};
