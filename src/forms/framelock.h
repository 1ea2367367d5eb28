#pragma once

namespace tarvo::forms {

// One lock over everything a frame touches: the retained surfaces, the gauges' models,
// the presenters and their link to the window system, the timers. Where frames run on a
// thread of their own, the window thread holds it while it delivers an event and the
// frame thread while it runs a tick, so the two never run window code at once: the
// frame thread runs only while the window thread waits for events or yields.
class FrameLock final {
public:
    FrameLock() = delete;

    // Recursive: a thread may take it again while it holds it.
    static void lock();
    static void unlock();
    static bool heldHere();

    class Hold final {
    public:
        Hold() { lock(); }
        ~Hold() { release(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        void release() {
            if (m_held)
                unlock();
            m_held = false;
        }

    private:
        bool m_held = true;
    };

    // Lets go of every level this thread holds while it waits or yields, and takes them
    // all back when it ends.
    class Release final {
    public:
        Release();
        ~Release();
        Release(const Release&) = delete;
        Release& operator=(const Release&) = delete;

    private:
        int m_depth = 0;
    };
};

} // namespace tarvo::forms
