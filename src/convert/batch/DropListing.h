#pragma once

#include "files/EngineStatus.h"
#include "files/FilePath.h"

#include <QByteArray>
#include <QList>

namespace quillmorph {

// One file of a batch and where its output goes.
struct BatchItem {
    FilePath source;
    QByteArray subfolder;  // under the dated folder, "album/2019"; empty for a loose file
    bool inFolder = false; // found inside a dropped folder: a file that is no picture is skipped
    // A subfolder that could not be read (source names it): a failure when its turn comes.
    EngineStatus unreadable = status::kOk;
};

// The files a drop stands for. A loose file stands for itself, in the order dropped; a folder
// for the files in it, in natural name order as a file manager shows them ("b2" before
// "b10"), then its subfolders', each the same way. Hidden entries, sockets and devices are
// left out; links to files are followed, links to folders are not (no loops, nothing outside
// the tree). Whether a file is a picture is left to whoever loads it. Runs on the caller's
// thread; reads only the file system.
QList<BatchItem> listDrop(const FilePaths& dropped);

} // namespace quillmorph
