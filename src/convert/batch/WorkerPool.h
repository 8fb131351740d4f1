#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quillmorph {

// A fixed set of threads that run posted jobs in the order posted. A batch makes one, so a
// folder of a hundred thousand entries costs a handful of threads, not one per file.
// Destroying it runs the jobs still queued, then joins the threads. Not a QThreadPool: libvips
// keeps buffers per thread that vips_thread_shutdown() must free on that thread as it ends, and
// QThreadPool ends its idle threads on its own timer with no hook to run there; calling it after
// every job instead would throw away buffers the next file on the thread reuses.
class WorkerPool {
public:
    explicit WorkerPool(int threads);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool();

    void post(std::function<void()> job);

private:
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace quillmorph
