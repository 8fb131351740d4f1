#pragma once

#include <QColor>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;
class QWidget;

namespace quillmorph {

// A note on the window's free space right of the quality box, where the hidden controls sit:
// while idle a quiet hint (drop pictures here, right-click for more), during a batch the count
// ("12 / 40") and the file in hand. The window paints it on its own surface, so it covers no
// control, takes no click or drop and changes nothing of the window's size. GUI thread; a
// child of the window.
class SurfaceNote : public QObject {
    Q_OBJECT

public:
    explicit SurfaceNote(QWidget* window);

    // Where it is painted, in the window's pixels: below lbl06 and Command1, above Command2,
    // right of cobiQuality, in line with the units' captions.
    static QRect place() { return {137, 62, 125, 29}; }
    // Black or white, whichever stands out more on margin.
    static QColor inkOn(const QColor& margin);

    void showHint();
    // File index (1-based) of count is in hand; count 0 while a dropped folder is listed.
    void showProgress(int index, int count, const QString& fileName);
    // Batches waiting for the one in hand (drops and hand-overs made during it).
    void setWaiting(int batches);

    // The two lines as they read now (the file name not yet shortened to the room).
    QStringList lines() const;
    void paint(QPainter& painter, const QColor& margin) const;

private:
    void changed();

    QWidget* const window_;
    bool busy_ = false;
    int index_ = 0;
    int count_ = 0;
    QString fileName_;
    int waiting_ = 0;
};

} // namespace quillmorph
