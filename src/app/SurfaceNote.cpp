#include "SurfaceNote.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>
#include <cmath>

namespace quillmorph {

namespace {

// WCAG's relative luminance of an sRGB colour.
double luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

// The hint stays quieter than the progress, which the user is waiting for.
constexpr int kHintAlpha = 170;

} // namespace

SurfaceNote::SurfaceNote(QWidget* window) : QObject(window), window_(window) {}

QColor SurfaceNote::inkOn(const QColor& margin) {
    // Contrast with black is (L + 0.05) / 0.05, with white 1.05 / (L + 0.05): equal at L ≈ 0.18.
    const double l = luminance(margin);
    return (l + 0.05) / 0.05 >= 1.05 / (l + 0.05) ? QColor(Qt::black) : QColor(Qt::white);
}

void SurfaceNote::showHint() {
    busy_ = false;
    waiting_ = 0;
    changed();
}

void SurfaceNote::showProgress(int index, int count, const QString& fileName) {
    busy_ = true;
    index_ = index;
    count_ = count;
    fileName_ = fileName;
    changed();
}

void SurfaceNote::setWaiting(int batches) {
    waiting_ = batches;
    changed();
}

QStringList SurfaceNote::lines() const {
    if (!busy_) {
        return {tr("画像をここにドロップ"), tr("右クリックでその他の設定")};
    }
    QString count = count_ > 0 ? QStringLiteral("%1 / %2").arg(index_).arg(count_) : tr("準備中…");
    if (waiting_ > 0)
        count += QStringLiteral("  ") + tr("待ち %1").arg(waiting_);
    return {count, fileName_};
}

void SurfaceNote::paint(QPainter& painter, const QColor& margin) const {
    QColor ink = inkOn(margin);
    if (!busy_)
        ink.setAlpha(kHintAlpha);
    painter.save();
    painter.setPen(ink);
    painter.setFont(window_->font());
    const QRect room = place();
    const QFontMetrics metrics(window_->font());
    const QStringList shown = lines();
    const int lineHeight = room.height() / 2;
    for (int i = 0; i < shown.size(); ++i) {
        const QRect line(room.left(), room.top() + i * lineHeight, room.width(), lineHeight);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(shown[i], Qt::ElideMiddle, room.width()));
    }
    painter.restore();
}

void SurfaceNote::changed() {
    window_->update(place());
}

} // namespace quillmorph
