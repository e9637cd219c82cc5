// qksyswincapture: clipboard, window image, screen capture and saving (see
// the header).
#include "qksyswincapture.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QWidget>

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksysdrawsurface.h"
#include "qksyswinobj.h"
#include "qksyswinregstdfunc.h"
#include "qksyswinsrv.h"
#include "qksyswinthread.h"

int qksyswinclipboardset(const qkbmpImageInfo& image)
{
    qklogTrace("qksyswinclipboardset");
    const QImage img = qksysdrawfrombmp(image);
    if (img.isNull()) return -2;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return -2;
    int result = -2;
    qksyswinGuiCall([&] {
        QClipboard* clip = QGuiApplication::clipboard();
        if (clip == nullptr) return;
        clip->setImage(img);
        result = 0;
    });
    return result;
}

int qksyswinwindowimage(qkwinInfo* window, qkbmpImageInfo* image)
{
    qklogTrace("qksyswinwindowimage");
    qksyswinObj* obj = qksyswinobj(window);
    if (obj == nullptr || image == nullptr) return -2;
    QImage shot;
    {
        std::unique_lock<std::recursive_mutex> lk = qksysdrawlock(obj->imageLock);
        if (obj->image != nullptr) shot = obj->image->copy();
    }
    if (QCoreApplication::instance() != nullptr) {
        // The controls are drawn over the picture as they are shown.
        qksyswinGuiCall([&] {
            QWidget* canvas = obj->canvas;
            if (canvas == nullptr || canvas->width() < 1 || canvas->height() < 1) return;
            QImage full(canvas->size(), QImage::Format_RGB32);
            full.fill(qksysdrawbackground(window));
            QPainter p(&full);
            if (!shot.isNull()) p.drawImage(0, 0, shot);
            canvas->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
            p.end();
            shot = full;
        });
    }
    if (shot.isNull()) return -2;
    qksysdrawtobmp(shot, image);
    return 0;
}

int qksyswinsavescreenfile(qkwinInfo* window, const char* path)
{
    qklogTrace("qksyswinsavescreenfile");
    if (path == nullptr || path[0] == '\0') return -2;
    qkbmpImageInfo image;
    if (qksyswinwindowimage(window, &image) != 0) return -2;
    return qkbmpwrite(path, &image);
}

int qksyswinsavescreenshot(qkwinInfo* window, const char* path)
{
    qklogTrace("qksyswinsavescreenshot");
    qksyswinObj* obj = qksyswinobj(window);
    if (obj == nullptr || path == nullptr || path[0] == '\0' || QCoreApplication::instance() == nullptr) return -2;
    int result = -2;
    qksyswinGuiCall([&] {
        if (obj->top == nullptr || !obj->top->isVisible()) return;
        const QImage shot = obj->top->grab().toImage();
        if (shot.isNull()) return;
        result = shot.save(QString::fromLocal8Bit(path), "PNG") ? 0 : -1;
    });
    if (result == -1) qklogf("qksyswinsavescreenshot", "Unable to open: %s", path);
    return result;
}

int qkwinCaptureScreen(qkwinInfo* window)
{
    qklogTrace("qkwinCaptureScreen");
    qkbmpImageInfo image;
    if (qksyswinwindowimage(window, &image) != 0) return -2;
    if (qksyswinclipboardset(image) != 0) {
        qklogf("qkwinCaptureScreen", "Clipboard not opened");
        return -2;
    }
    return 0;
}

int qkwinSaveScreen(qkwinInfo* window)
{
    qklogTrace("qkwinSaveScreen");
    if (window == nullptr) return -2;
    // The save-file dialog of the window layer leaves the chosen name in the
    // window's common-dialog record.
    qkwincallback dialog = qksyswinstdfuncget("qksyswinsavefile");
    if (dialog == nullptr) {
        qklogf("qkwinSaveScreen", "no save-file dialog");
        return -2;
    }
    qkstrset(window->cdlg.fName, "screen.bmp");
    qkstrset(window->cdlg.filter, "*.bmp");
    window->cdlg.rslt = 0;
    int result = 0;
    if (dialog(window) == 0 && window->cdlg.rslt == 1 && window->cdlg.fName[0] != '\0')
        result = qksyswinsavescreenfile(window, window->cdlg.fName);
    const char* home = qkwingethomedir();
    if (home != nullptr && home[0] != '\0') qkfilechgdir(home);
    return result;
}
