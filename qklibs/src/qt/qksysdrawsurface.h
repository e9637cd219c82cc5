// qksysdrawsurface: the drawing surface of a window on Qt, and the window's
// backing image (its device context). The plot engine and the free text draw
// with QPainter into the backing image (a QImage of the platform object)
// through the portable surface interface; the canvas widget paints the image
// under the native controls (qksyswinPaintCanvas).
//
// Threads: a window's picture may be drawn by the thread that runs the window
// (the GUI thread for the main window, a child window's own thread). QPainter
// on a QImage works on any thread. The image lock of the platform object is
// held while a surface is open; the GUI thread never blocks on it: its paint
// skips a busy image and repeats shortly after, and its other waits for the
// lock keep pumping events. Do not wait (message boxes, sleeps) while a
// surface is open.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <memory>
#include <mutex>

#include "qkdrawsurface.h"

class qksysdrawSurface : public qkdrawSurface {
public:
    // Draws into *image (the pointer is read again whenever the lock is
    // taken, as a resize replaces the image). lock (may be null) is held while
    // the surface is open, except while the clipboard is set (that waits for
    // the GUI thread); win (may be null) is repainted at the end if anything
    // was drawn.
    qksysdrawSurface(QImage** image, std::recursive_mutex* lock, qkwinInfo* win);
    ~qksysdrawSurface() override;
    qksysdrawSurface(const qksysdrawSurface&) = delete;
    qksysdrawSurface& operator=(const qksysdrawSurface&) = delete;

    int width() const override;
    int height() const override;
    int fillRect(int left, int top, int right, int bottom, int colorRef) override;
    int setPen(int style, int width, int colorRef) override;
    int moveTo(int x, int y) override;
    int lineTo(int x, int y) override;
    // The whole run in one QPainter call (the plot engine's curves): the
    // same pixels as moveTo and lineTo point by point, far fewer calls.
    int polyline(const qkdrawPointInfo* points, int count) override;
    int setFont(const qkwinfontIDInfo* font) override;
    int setTextColor(int colorRef) override;
    int setBkColor(int colorRef) override;
    int textOut(int x, int y, const char* text) override;
    int textExtent(const char* text, int* width, int* height) override;
    int textMetrics(qkdrawTextMetricsInfo* metrics) override;
    int copyRect(int x, int y, int w, int h, qkbmpImageInfo* image) override;
    int setClipboard(const qkbmpImageInfo& image) override;

private:
    void begin();
    void end();

    QImage** imageRef_;
    std::recursive_mutex* mutex_;
    std::unique_lock<std::recursive_mutex> lock_;
    QImage* image_ = nullptr;
    qkwinInfo* win_;
    QPainter painter_;
    QPen pen_;
    QFont font_;
    int angle_ = 0;               // text escapement, tenths of a degree
    QColor text_;
    QColor bk_;                   // invalid: transparent
    QPoint cur_;
    bool drawn_ = false;
};

// The opening hook of the portable surface: the surface of the window's
// backing image (made at the window's scaled size when it does not exist
// yet); null without a platform object.
std::unique_ptr<qkdrawSurface> qksysdrawopen(qkwinInfo* win);

// Locks a window's image lock: blocking on other threads, pumping events
// while it waits on the GUI thread.
std::unique_lock<std::recursive_mutex> qksysdrawlock(std::recursive_mutex& lock);

// Colour conversions: a platform colour reference (red + green * 256 +
// blue * 65536) to QColor; QKWIN_NOCOLOR gives an invalid colour.
QColor qksysdrawcolor(int colorRef);
// The Qt font of a font record of the window (null: the default font).
QFont qksysdrawfont(const qkwinfontIDInfo* font);
// Background of a window's picture: its BACKGROUND colour, else white.
QColor qksysdrawbackground(const qkwinInfo* win);

// A text of the records as a QString: UTF-8, or Latin-1 when it is not
// valid UTF-8 (older definition files).
QString qksysdrawtext(const char* text);

// Image conversions between Qt and the portable bitmap record.
void qksysdrawtobmp(const QImage& from, qkbmpImageInfo* to);
QImage qksysdrawfrombmp(const qkbmpImageInfo& from);
