#include "LauncherEntry.h"

namespace quillmorph {

// The task bar shows no progress of ours yet: its button's progress comes with a later change.
void LauncherEntry::send(const QVariantMap&) const {}

} // namespace quillmorph
