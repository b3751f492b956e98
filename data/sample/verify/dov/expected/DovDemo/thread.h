// thread.h: runs a procedure of the plug-in on a thread of its own, so that a long action or a
// panel does not block the host. The thread is waited for by Join and on destruction.
#ifndef PI_THREAD_H_INCLUDED
#define PI_THREAD_H_INCLUDED

#include <atomic>
#include <thread>

class PIThread {
public:
    typedef int (*Proc)(void* argument);

    PIThread() {}
    ~PIThread() { Join(); }
    PIThread(const PIThread&) = delete;
    PIThread& operator=(const PIThread&) = delete;

    // False while a procedure is still running.
    bool Start(Proc proc, void* argument) {
        if (m_running) {
            return false;
        }
        Join(); // the previous run has ended
        m_running = true;
        m_thread = std::thread([this, proc, argument] {
            m_result = proc(argument);
            m_running = false;
        });
        return true;
    }

    // The procedure's result once it has ended.
    int Join() {
        if (m_thread.joinable()) {
            m_thread.join();
        }
        return m_result;
    }

    bool IsRunning() const { return m_running; }

private:
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    int m_result = 0;
};

#endif
