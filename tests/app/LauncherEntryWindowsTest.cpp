#include "LauncherEntry.h"
#include "LauncherEntryWindows.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace quillmorph::test {
namespace {

class RecordedTaskbar : public TaskbarCalls {
public:
    void setProgress(quintptr window, quint64 done, quint64 total) override {
        calls << QStringLiteral("%1 progress %2/%3").arg(window).arg(done).arg(total);
    }
    void clearProgress(quintptr window) override { calls << QStringLiteral("%1 none").arg(window); }
    void flash(quintptr window) override { calls << QStringLiteral("%1 flash").arg(window); }
    QStringList calls;
};

// The button's bar follows the share of files done, and goes when the batch does.
TEST(LauncherEntryWindows, TheButtonShowsTheShareDoneAndNothingAfterwards) {
    RecordedTaskbar taskbar;
    for (const auto& [done, count] : {std::pair{0, 3}, {1, 3}, {3, 3}, {5, 4}, {0, 0}})
        tellTaskbar(taskbar, 7, LauncherEntry::properties(done, count));
    EXPECT_EQ(taskbar.calls, QStringList({"7 progress 0/1000", "7 progress 333/1000", "7 progress 1000/1000",
                                          "7 progress 1000/1000", "7 none"}));
}

} // namespace
} // namespace quillmorph::test
