#include "GObjectWarnings.h"

namespace quillmorph::test {

namespace {

void countWarning(const gchar*, GLogLevelFlags, const gchar*, gpointer counter) {
    ++*static_cast<std::atomic<int>*>(counter);
}

} // namespace

GObjectWarnings::GObjectWarnings()
    : id_(g_log_set_handler("GLib-GObject", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL),
                            countWarning, &count_)) {}

GObjectWarnings::~GObjectWarnings() {
    g_log_remove_handler("GLib-GObject", id_);
}

} // namespace quillmorph::test
