#include "engine/VarnelEnginePool.h"

#include "engine/VarnelIF.h"

namespace {

// Idle engines kept at most; each holds a colour memory and a scratch block
// of a few MiB, so a burst of more threads than this frees its extra
// engines afterwards.
constexpr size_t kMaxIdle = 32;

} // namespace

CVarnelEnginePool::CVarnelEnginePool(std::shared_ptr<const CVarnelPixelPlan> plan, CVarnelCacheContainer* cache)
    : m_plan(std::move(plan)), m_cache(cache)
{
}

CVarnelEnginePool::~CVarnelEnginePool() = default;

CVarnelEnginePool::Lease::Lease(CVarnelEnginePool& pool, std::unique_ptr<CVarnelIF> engine)
    : m_pool(pool), m_engine(std::move(engine))
{
}

CVarnelEnginePool::Lease::~Lease()
{
    if (!m_engine)
        return;
    std::lock_guard<std::mutex> lock(m_pool.m_mutex);
    if (m_pool.m_idle.size() < kMaxIdle) {
        try {
            m_pool.m_idle.push_back(std::move(m_engine));
        } catch (...) {
            // Not kept: the engine is freed with the lease.
        }
    }
}

CVarnelEnginePool::Lease CVarnelEnginePool::Take()
{
    std::unique_ptr<CVarnelIF> engine;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_idle.empty()) {
            engine = std::move(m_idle.back());
            m_idle.pop_back();
        }
    }
    if (!engine) {
        engine.reset(new CVarnelIF());
        engine->UsePlan(m_plan);
        engine->SetCacheContainer(m_cache);
    }
    engine->ForgetPixel();
    return Lease(*this, std::move(engine));
}
