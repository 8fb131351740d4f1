#pragma once

#include "files/FilePath.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <vector>

namespace quillmorph {

// Joins files that arrive close together into one batch. Explorer starts one copy of the
// program per selected file, and each later copy hands its file to the running window: a
// selection of 200 pictures must still be one drop, one dated folder and one completion box.
// Files wait until none has come for quietMs (or, with a steady stream, until maxWaitMs after
// the first), then leave in order of arrival, one batch per preset. GUI thread.
class HandOffGathering : public QObject {
    Q_OBJECT

public:
    static constexpr int kQuietMs = 500;
    static constexpr int kMaxWaitMs = 10000;

    explicit HandOffGathering(QObject* parent = nullptr, int quietMs = kQuietMs,
                              int maxWaitMs = kMaxWaitMs);

    // files to convert with preset (empty: the window's choices).
    void add(const quillmorph::FilePaths& files, const QString& preset);
    // True while files wait to leave.
    bool isGathering() const { return !waiting_.empty(); }

Q_SIGNALS:
    void gathered(const quillmorph::FilePaths& files, const QString& preset);

private:
    void release();

    struct Batch {
        QString preset;
        FilePaths files;
    };
    std::vector<Batch> waiting_;
    QTimer quiet_;
    QTimer longest_;
};

} // namespace quillmorph
