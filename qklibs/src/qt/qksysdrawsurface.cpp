// qksysdrawsurface: the Qt drawing surface, the backing image and the canvas
// paint (see the header).
#include "qksysdrawsurface.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPolygon>
#include <QStringDecoder>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "qklogsrv.h"
#include "qkwinscale.h"
#include "qksyswincapture.h"
#include "qksyswinobj.h"
#include "qksyswinregstdfunc.h"
#include "qksyswinthread.h"

namespace {

// Dash patterns in pen widths, as the classic cosmetic pens draw them.
const QList<qreal> kDot = {3, 3};
const QList<qreal> kDash = {18, 6};
const QList<qreal> kDashDot = {9, 6, 3, 6};

}  // namespace

QString qksysdrawtext(const char* text)
{
    qklogTrace("qksysdrawtext");
    if (text == nullptr) return QString();
    const QByteArray bytes(text);
    QStringDecoder dec(QStringDecoder::Utf8);
    QString s = dec.decode(bytes);
    if (dec.hasError()) s = QString::fromLatin1(bytes);
    return s;
}

// ---- colours, fonts, images -----------------------------------------------------

QColor qksysdrawcolor(int colorRef)
{
    qklogTrace("qksysdrawcolor");
    if (static_cast<uint32_t>(colorRef) == QKWIN_NOCOLOR) return QColor();
    const unsigned ref = static_cast<unsigned>(colorRef);
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

QFont qksysdrawfont(const qkwinfontIDInfo* font)
{
    qklogTrace("qksysdrawfont");
    QFont f;
    if (font == nullptr) return f;
    if (font->name[0] != '\0') f.setFamily(qksysdrawtext(font->name));
    switch (font->familyID) {
    case 1: f.setStyleHint(QFont::Serif); break;
    case 3: f.setStyleHint(QFont::TypeWriter); break;
    default: f.setStyleHint(QFont::SansSerif); break;
    }
    if (font->height != 0) f.setPixelSize(font->height < 0 ? -font->height : font->height);
    switch (font->weight) {
    case 1: f.setWeight(QFont::Bold); break;
    case 2: f.setWeight(QFont::Medium); break;
    case 3: f.setWeight(QFont::Light); break;
    case 4: f.setWeight(QFont::Thin); break;
    default: f.setWeight(QFont::Normal); break;
    }
    f.setItalic(font->italicFlag != 0);
    f.setUnderline(font->underlineFlag != 0);
    return f;
}

QColor qksysdrawbackground(const qkwinInfo* win)
{
    qklogTrace("qksysdrawbackground");
    if (win != nullptr && win->color.bg.flags != 1) {
        QColor c = qksysdrawcolor(win->color.bg.rgb);
        if (c.isValid()) return c;
    }
    return QColor(Qt::white);
}

void qksysdrawtobmp(const QImage& from, qkbmpImageInfo* to)
{
    qklogTrace("qksysdrawtobmp");
    if (to == nullptr) return;
    const QImage img = from.convertToFormat(QImage::Format_RGB32);
    to->width = img.width();
    to->height = img.height();
    to->pixels.resize(static_cast<size_t>(img.width()) * static_cast<size_t>(img.height()));
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            to->pixels[static_cast<size_t>(y) * img.width() + x] = row[x] & 0xFFFFFF;
    }
}

QImage qksysdrawfrombmp(const qkbmpImageInfo& from)
{
    qklogTrace("qksysdrawfrombmp");
    if (from.width < 1 || from.height < 1 ||
        from.pixels.size() < static_cast<size_t>(from.width) * static_cast<size_t>(from.height))
        return QImage();
    QImage img(from.width, from.height, QImage::Format_RGB32);
    for (int y = 0; y < from.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < from.width; ++x)
            row[x] = 0xFF000000u | from.pixels[static_cast<size_t>(y) * from.width + x];
    }
    return img;
}

// ---- the image lock -------------------------------------------------------------------

std::unique_lock<std::recursive_mutex> qksysdrawlock(std::recursive_mutex& lock)
{
    qklogTrace("qksysdrawlock");
    std::unique_lock<std::recursive_mutex> lk(lock, std::try_to_lock);
    if (lk.owns_lock()) return lk;
    if (QCoreApplication::instance() == nullptr || !qksyswinIsGuiThread()) {
        lk.lock();
        return lk;
    }
    // The holder may be waiting for the GUI thread (a blocking queued call):
    // keep serving events until the image is free.
    while (!lk.try_lock()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return lk;
}

// ---- the surface ----------------------------------------------------------------------

qksysdrawSurface::qksysdrawSurface(QImage** image, std::recursive_mutex* lock, qkwinInfo* win)
    : imageRef_(image), mutex_(lock), win_(win), text_(Qt::black)
{
    qklogTrace("qksysdrawSurface::qksysdrawSurface");
    pen_ = QPen(QColor(Qt::black), 1);
    pen_.setCosmetic(true);
    font_ = qksysdrawfont(nullptr);
    begin();
}

qksysdrawSurface::~qksysdrawSurface()
{
    qklogTrace("qksysdrawSurface::~qksysdrawSurface");
    end();
    if (drawn_ && win_ != nullptr) qksyswinRefresh(win_);
}

void qksysdrawSurface::begin()
{
    qklogTrace("qksysdrawSurface::begin");
    if (mutex_ != nullptr) lock_ = qksysdrawlock(*mutex_);
    image_ = imageRef_ ? *imageRef_ : nullptr;
    if (image_ != nullptr && !image_->isNull()) painter_.begin(image_);
}

void qksysdrawSurface::end()
{
    qklogTrace("qksysdrawSurface::end");
    if (painter_.isActive()) painter_.end();
    image_ = nullptr;
    if (lock_.owns_lock()) lock_.unlock();
}

int qksysdrawSurface::width() const { return image_ ? image_->width() : 0; }
int qksysdrawSurface::height() const { return image_ ? image_->height() : 0; }

int qksysdrawSurface::fillRect(int left, int top, int right, int bottom, int colorRef)
{
    qklogTrace("qksysdrawSurface::fillRect");
    if (!painter_.isActive()) return -2;
    const QColor c = qksysdrawcolor(colorRef);
    if (!c.isValid()) return 0;
    const int x0 = std::min(left, right);
    const int y0 = std::min(top, bottom);
    painter_.fillRect(QRect(x0, y0, std::max(left, right) - x0, std::max(top, bottom) - y0), c);
    drawn_ = true;
    return 0;
}

int qksysdrawSurface::setPen(int style, int width, int colorRef)
{
    qklogTrace("qksysdrawSurface::setPen");
    QColor c = qksysdrawcolor(colorRef);
    if (!c.isValid()) c = Qt::black;
    const int w = width < 1 ? 1 : width;
    pen_ = QPen(c, w);
    // A one-pixel pen draws exact pixels; wider pens end and join round.
    pen_.setCosmetic(w == 1);
    pen_.setCapStyle(w == 1 ? Qt::FlatCap : Qt::RoundCap);
    pen_.setJoinStyle(Qt::RoundJoin);
    switch (style) {
    case QKDRAW_PEN_DOT: pen_.setDashPattern(kDot); break;
    case QKDRAW_PEN_DASH: pen_.setDashPattern(kDash); break;
    case QKDRAW_PEN_DASHDOT: pen_.setDashPattern(kDashDot); break;
    default: pen_.setStyle(Qt::SolidLine); break;
    }
    return 0;
}

int qksysdrawSurface::moveTo(int x, int y)
{
    qklogTrace("qksysdrawSurface::moveTo");
    cur_ = QPoint(x, y);
    return 0;
}

int qksysdrawSurface::lineTo(int x, int y)
{
    qklogTrace("qksysdrawSurface::lineTo");
    const QPoint to(x, y);
    if (painter_.isActive() && to != cur_) {
        painter_.setPen(pen_);
        // A one-pixel line leaves its end point to the next line.
        const bool keepEnd = pen_.isCosmetic() && image_ != nullptr && image_->rect().contains(to);
        const QRgb endPixel = keepEnd ? image_->pixel(to) : 0;
        painter_.drawLine(cur_, to);
        // The raster engine writes straight into the image, so the pixel can
        // be put back while the painter stays open.
        if (keepEnd) image_->setPixel(to, endPixel);
        drawn_ = true;
    }
    cur_ = to;
    return 0;
}

int qksysdrawSurface::polyline(const qkdrawPointInfo* points, int count)
{
    qklogTrace("qksysdrawSurface::polyline");
    if (points == nullptr || count < 1) return -2;
    // A line to the current position draws nothing: repeated points are left out.
    QPolygon poly;
    poly.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QPoint pt(points[i].x, points[i].y);
        if (poly.isEmpty() || poly.back() != pt) poly << pt;
    }
    cur_ = poly.back();
    if (!painter_.isActive() || poly.size() < 2) return 0;
    painter_.setPen(pen_);
    // As with lineTo, a one-pixel line leaves out its last point.
    const QPoint end = poly.back();
    const bool keepEnd = pen_.isCosmetic() && image_ != nullptr && image_->rect().contains(end);
    const QRgb endPixel = keepEnd ? image_->pixel(end) : 0;
    painter_.drawPolyline(poly);
    if (keepEnd) image_->setPixel(end, endPixel);
    drawn_ = true;
    return 0;
}

int qksysdrawSurface::setFont(const qkwinfontIDInfo* font)
{
    qklogTrace("qksysdrawSurface::setFont");
    // The window's controls made this font when the window was created (at
    // the window's scale); a record without one is converted here.
    font_ = (font != nullptr && font->sysPtr != nullptr) ? *static_cast<const QFont*>(font->sysPtr)
                                                        : qksysdrawfont(font);
    angle_ = font ? font->angle : 0;
    return 0;
}

int qksysdrawSurface::setTextColor(int colorRef)
{
    qklogTrace("qksysdrawSurface::setTextColor");
    const QColor c = qksysdrawcolor(colorRef);
    text_ = c.isValid() ? c : QColor(Qt::black);
    return 0;
}

int qksysdrawSurface::setBkColor(int colorRef)
{
    qklogTrace("qksysdrawSurface::setBkColor");
    bk_ = qksysdrawcolor(colorRef);
    return 0;
}

int qksysdrawSurface::textOut(int x, int y, const char* text)
{
    qklogTrace("qksysdrawSurface::textOut");
    if (text == nullptr) return -2;
    if (!painter_.isActive()) return -2;
    const QString s = qksysdrawtext(text);
    const QFontMetrics fm(font_, image_);
    const QRect cell(0, 0, fm.horizontalAdvance(s), fm.height());
    painter_.save();
    painter_.translate(x, y);
    // The font's escapement turns the text about its top-left corner.
    if (angle_ != 0) painter_.rotate(-angle_ / 10.0);
    if (bk_.isValid()) painter_.fillRect(cell, bk_);
    painter_.setFont(font_);
    painter_.setPen(text_);
    painter_.drawText(0, fm.ascent(), s);
    painter_.restore();
    drawn_ = true;
    return 0;
}

int qksysdrawSurface::textExtent(const char* text, int* width, int* height)
{
    qklogTrace("qksysdrawSurface::textExtent");
    const QFontMetrics fm(font_, image_);
    if (width) *width = text ? fm.horizontalAdvance(qksysdrawtext(text)) : 0;
    if (height) *height = fm.height();
    return 0;
}

int qksysdrawSurface::textMetrics(qkdrawTextMetricsInfo* m)
{
    qklogTrace("qksysdrawSurface::textMetrics");
    if (m == nullptr) return -2;
    const QFontMetrics fm(font_, image_);
    m->height = fm.height();
    m->ascent = fm.ascent();
    m->descent = fm.descent();
    m->aveCharWidth = fm.averageCharWidth();
    m->maxCharWidth = fm.maxWidth();
    return 0;
}

int qksysdrawSurface::copyRect(int x, int y, int w, int h, qkbmpImageInfo* image)
{
    qklogTrace("qksysdrawSurface::copyRect");
    if (image == nullptr || image_ == nullptr || w < 1 || h < 1 || w > QKBMP_MAXSIDE || h > QKBMP_MAXSIDE)
        return -2;
    // Parts outside the picture come out black.
    QImage part(w, h, QImage::Format_RGB32);
    part.fill(Qt::black);
    const QRect src = QRect(x, y, w, h).intersected(image_->rect());
    if (!src.isEmpty()) {
        QPainter p(&part);
        p.drawImage(src.topLeft() - QPoint(x, y), *image_, src);
    }
    qksysdrawtobmp(part, image);
    return 0;
}

int qksysdrawSurface::setClipboard(const qkbmpImageInfo& image)
{
    qklogTrace("qksysdrawSurface::setClipboard");
    // The GUI thread may be waiting for the image (a paint): let it go while
    // the clipboard is set there.
    end();
    const int result = qksyswinclipboardset(image);
    begin();
    return result;
}

// ---- opening, the backing image, the canvas paint ---------------------------------------

std::unique_ptr<qkdrawSurface> qksysdrawopen(qkwinInfo* win)
{
    qklogTrace("qksysdrawopen");
    qksyswinObj* obj = qksyswinobj(win);
    if (obj == nullptr) return nullptr;
    {
        std::unique_lock<std::recursive_mutex> lk = qksysdrawlock(obj->imageLock);
        if (obj->image == nullptr) {
            const int w = qkwinsetscale(win->scale.xval, win->xsize > 0 ? win->xsize : 1);
            const int h = qkwinsetscale(win->scale.yval, win->ysize > 0 ? win->ysize : 1);
            obj->image = new QImage(w, h, QImage::Format_RGB32);
            obj->image->fill(qksysdrawbackground(win));
        }
    }
    return std::make_unique<qksysdrawSurface>(&obj->image, &obj->imageLock, win);
}

namespace {

// Resizes the image to the canvas size asked for last; when another thread
// draws at the moment, it tries again shortly after (the GUI thread does not
// wait for the image here: it may be inside a resize event).
void resizeimage(qkwinInfo* win, qksyswinObj* obj, int width, int height)
{
    std::unique_lock<std::recursive_mutex> lk(obj->imageLock, std::try_to_lock);
    if (!lk.owns_lock()) {
        if (obj->canvas != nullptr) {
            obj->canvas->setProperty("qksysImageSize", QSize(width, height));
            QWidget* canvas = obj->canvas;
            QTimer::singleShot(5, canvas, [win, obj, canvas] {
                const QSize s = canvas->property("qksysImageSize").toSize();
                if (s.isValid()) resizeimage(win, obj, s.width(), s.height());
            });
        }
        return;
    }
    if (obj->canvas != nullptr) obj->canvas->setProperty("qksysImageSize", QVariant());
    if (obj->image != nullptr && obj->image->width() == width && obj->image->height() == height) return;
    auto* img = new QImage(width, height, QImage::Format_RGB32);
    img->fill(qksysdrawbackground(win));
    if (obj->image != nullptr) {
        QPainter p(img);
        p.drawImage(0, 0, *obj->image);
        p.end();
        delete obj->image;
    }
    obj->image = img;
}

}  // namespace

int qksyswinImageCreate(qkwinInfo* win, int width, int height)
{
    qklogTrace("qksyswinImageCreate");
    qksyswinObj* obj = qksyswinobj(win);
    if (obj == nullptr || width < 1 || height < 1) return -2;
    qksysdrawinstall();
    // The canvas paints every pixel of itself from the image.
    if (obj->canvas != nullptr) obj->canvas->setAttribute(Qt::WA_OpaquePaintEvent);
    resizeimage(win, obj, width, height);
    return 0;
}

void qksyswinImageFree(qkwinInfo* win)
{
    qklogTrace("qksyswinImageFree");
    qksyswinObj* obj = qksyswinobj(win);
    if (obj == nullptr) return;
    std::unique_lock<std::recursive_mutex> lk = qksysdrawlock(obj->imageLock);
    delete obj->image;
    obj->image = nullptr;
}

void qksyswinPaintCanvas(qkwinInfo* win, QPainter& painter, const QRect& rect)
{
    qklogTrace("qksyswinPaintCanvas");
    qksyswinObj* obj = qksyswinobj(win);
    if (obj == nullptr) return;
    std::unique_lock<std::recursive_mutex> lk(obj->imageLock, std::try_to_lock);
    if (!lk.owns_lock()) {
        // Another thread draws the picture: paint it when it is done.
        if (obj->canvas != nullptr) {
            QWidget* canvas = obj->canvas;
            QTimer::singleShot(10, canvas, [canvas, rect] { canvas->update(rect); });
        }
        return;
    }
    QRegion rest(rect);
    if (obj->image != nullptr && !obj->image->isNull()) {
        const QRect have = rect.intersected(obj->image->rect());
        if (!have.isEmpty()) painter.drawImage(have.topLeft(), *obj->image, have);
        rest -= obj->image->rect();
    }
    if (!rest.isEmpty()) {
        const QColor bg = qksysdrawbackground(win);
        for (const QRect& r : rest) painter.fillRect(r, bg);
    }
}

void qksysdrawinstall()
{
    qklogTrace("qksysdrawinstall");
    static std::once_flag once;
    std::call_once(once, [] {
        qkdrawsetopenhook(qksysdrawopen);
        qksyswinstdfuncset("qkwinCaptureScreen", qkwinCaptureScreen);
        qksyswinstdfuncset("qkwinSaveScreen", qkwinSaveScreen);
    });
}

namespace {
// In place before main(): the standard names of the drawing layer must be
// entered before the first window binds its standard names.
const bool gqk_drawinstalled = (qksysdrawinstall(), true);
}  // namespace
