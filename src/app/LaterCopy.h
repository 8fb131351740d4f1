#pragma once

#include "UserDialogs.h"
#include "files/FilePath.h"

#include <cstdio>

namespace quillmorph {

class SingleInstance;

// Start-up of a copy that found another one running (instance could not be claimed): hands
// files to the running copy, or tells the user it runs. No window is made. A preset is looked
// up in the settings file first: one that names none is said here, on terminal when this copy
// was started from one (its standard error), else in a box, and nothing is handed over.
// Returns the status this copy exits with: 1 when files reached no one. GUI thread.
int endAsLaterCopy(const SingleInstance& instance, const FilePaths& files, const QString& preset,
                   const UserDialogs& dialogs, std::FILE* terminal = nullptr);

} // namespace quillmorph
