#pragma once

#include <atomic>
#include <glib.h>

namespace quillmorph::test {

// libvips passes some values on to its operations unchecked; an operation refusing one says so
// only in a GObject warning and carries on without it (a vector loader then renders the whole
// page), so such a warning is a fault. Counts them, from every thread, while it lives.
class GObjectWarnings {
public:
    GObjectWarnings();
    ~GObjectWarnings();
    GObjectWarnings(const GObjectWarnings&) = delete;
    GObjectWarnings& operator=(const GObjectWarnings&) = delete;

    int seen() const { return count_; }

private:
    std::atomic<int> count_{0};
    const guint id_;
};

} // namespace quillmorph::test
