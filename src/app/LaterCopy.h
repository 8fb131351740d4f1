#pragma once

#include "UserDialogs.h"
#include "files/FilePath.h"

namespace quillmorph {

class SingleInstance;

// Start-up of a copy that found another one running (instance could not be claimed): hands
// files to the running copy, or tells the user it runs. No window is made. Returns the status
// this copy exits with: 1 when files reached no one. GUI thread.
int endAsLaterCopy(const SingleInstance& instance, const FilePaths& files, const QString& preset,
                   const UserDialogs& dialogs);

} // namespace quillmorph
