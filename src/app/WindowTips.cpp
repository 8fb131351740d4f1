#include "WindowTips.h"

#include <QCoreApplication>
#include <QWidget>
#include <utility>

namespace quillmorph {

namespace {

struct Tip {
    const char* control; // objectName; the window itself for the free surface
    const char* text;
};

// Short, a line or two: what the control does and its range.
constexpr Tip kTips[] = {
    {"frmMain",
     QT_TRANSLATE_NOOP("WindowTips", "画像やフォルダをここにドロップ — 右クリックでその他の設定")},
    {"chkMode", QT_TRANSLATE_NOOP("WindowTips",
                                  "オン：画像を幅 × 高さの枠に収めます\nオフ：元の大きさのまま")},
    {"cobWidth",
     QT_TRANSLATE_NOOP("WindowTips",
                       "枠の幅（ピクセル、1 ～ 32767）。50% なら各画像を元の大きさの半分に\n"
                       "高さを空欄か * にすると幅だけ合わせます。幅 = 高さで「枠の中に"
                       "収める」なら長い辺の長さ\nここにもドロップできます")},
    {"cobHeight",
     QT_TRANSLATE_NOOP("WindowTips", "枠の高さ（ピクセル、1 ～ 32767）\n幅を空欄か * にすると"
                                     "高さだけ合わせます\nここにもドロップできます")},
    {"cobiQuality",
     QT_TRANSLATE_NOOP("WindowTips",
                       "画質です（解像度や dpi ではありません）。100 が最高\n"
                       "小さいほどファイルが小さくなります（JPEG、CMP、WEBP、AVIF、JXL）")},
    {"cobFormat", QT_TRANSLATE_NOOP("WindowTips", "保存する画像形式")},
    {"Command1",
     QT_TRANSLATE_NOOP("WindowTips", "余白の色を選びます（ウィンドウの背景がその色になります）")},
    {"Command2", QT_TRANSLATE_NOOP("WindowTips", "ホームページをブラウザーで開きます")},
};

// A label says what the box it names, or gives the unit of, says.
constexpr std::pair<const char*, const char*> kLabelBoxes[] = {
    {"lbl01", "cobWidth"},  {"lbl05", "cobWidth"},    {"lbl02", "cobHeight"},
    {"lbl06", "cobHeight"}, {"lbl03", "cobiQuality"}, {"lbl04", "cobFormat"},
};

QWidget* controlOf(QWidget* window, const char* name) {
    return qstrcmp(name, "frmMain") == 0 ? window
                                         : window->findChild<QWidget*>(QLatin1String(name));
}

} // namespace

void addWindowTips(QWidget* window) {
    for (const Tip& tip : kTips) {
        if (QWidget* control = controlOf(window, tip.control))
            control->setToolTip(QCoreApplication::translate("WindowTips", tip.text));
    }
    for (const auto& [label, box] : kLabelBoxes) {
        QWidget* named = controlOf(window, label);
        const QWidget* shared = controlOf(window, box);
        if (named && shared)
            named->setToolTip(shared->toolTip());
    }
}

} // namespace quillmorph
