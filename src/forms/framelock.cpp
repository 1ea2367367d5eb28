#include "forms/framelock.h"

#include <mutex>
#include <utility>

namespace tarvo::forms {

namespace {
std::mutex& mutex() {
    static std::mutex m;
    return m;
}

// Levels this thread holds; the mutex is held while it is above zero.
thread_local int t_depth = 0;
} // namespace

void FrameLock::lock() {
    if (t_depth++ == 0)
        mutex().lock();
}

void FrameLock::unlock() {
    if (--t_depth == 0)
        mutex().unlock();
}

bool FrameLock::heldHere() {
    return t_depth > 0;
}

FrameLock::Release::Release()
    : m_depth(std::exchange(t_depth, 0)) {
    if (m_depth > 0)
        mutex().unlock();
}

FrameLock::Release::~Release() {
    if (m_depth > 0)
        mutex().lock();
    t_depth = m_depth;
}

} // namespace tarvo::forms
