#include "config/VarnelCurvePause.h"

namespace {

thread_local bool t_paused = false;

}  // namespace

CVarnelCurvePause::CVarnelCurvePause() : m_outer(t_paused)
{
    t_paused = true;
}

CVarnelCurvePause::~CVarnelCurvePause()
{
    t_paused = m_outer;
}

bool CVarnelCurvePause::Active()
{
    return t_paused;
}
