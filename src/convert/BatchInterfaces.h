#pragma once

#include "FilePath.h"

#include <QString>
#include <QtGlobal>

namespace quillmorph {

// The options one file is converted with, as the window's controls hold them.
struct ConversionSettings {
    bool sizeConversion = false;             // chkMode checked
    QString widthText = QStringLiteral("600");  // cobWidth
    QString heightText = QStringLiteral("450"); // cobHeight
    QString formatText = QStringLiteral("JPEG"); // cobFormat
    QString qualityFactorText = QStringLiteral("2"); // Text1
    quint32 backColor = 0xFFFFFF;            // margin colour, 0x00BBGGRR
    bool keepGoing = false; // a failed file is listed and the batch goes on
};

// Supplies the options at the moment a file starts. Called on the batch's thread; an
// implementation shared with a window must be safe to call from there.
class OptionsSource {
public:
    virtual ~OptionsSource() = default;
    virtual ConversionSettings current() const = 0;
};

// Receives what a batch has to tell, on the batch's thread.
class BatchSink {
public:
    virtual ~BatchSink() = default;
    // A problem that does not end the batch (a failed fill or combine); the batch goes on when
    // this returns, so a window returns once the user has acknowledged it.
    virtual void report(const QString& text) = 0;
    // Once the output folder exists, before the first file.
    virtual void batchStarted(const FilePath& outputFolder);
    // Before file index (1-based) of count is touched.
    virtual void fileStarted(int index, int count, const FilePath& source);
    // After source has been stored completely as output.
    virtual void fileConverted(const FilePath& source, const FilePath& output);
    // A file failed while keep-going was on; message names it on its second line.
    virtual void fileFailed(const FilePath& source, const QString& message);
    // Polled between files; true ends the batch with the cancellation message.
    virtual bool cancelRequested() const;
};

} // namespace quillmorph
