// qksyswinregion: the regions of a window on Qt: drawn shapes (rectangle,
// rounded rectangle, polygon of the record's points, ellipse, triangle,
// circle) filled with the background colour, with an optional image inside
// and a border (width and colour of the BORDER, 7 raised and 8 sunken drawn as
// a shaded frame). A region is a widget of its own under the controls (regions
// are made before every other control), transparent for the mouse, repainted
// whenever the window repaints. Polygon points are window coordinates.
// GUI thread.
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>
#include <QWidget>
#include <qdrawutil.h>

#include <algorithm>

#include "qklogsrv.h"
#include "qksyswinctrl.h"

namespace {

enum : int { SHAPE_RECT = 1, SHAPE_ROUNDED, SHAPE_POLYGON, SHAPE_ELLIPSE, SHAPE_TRIANGLE, SHAPE_CIRCLE };

class RegionWidget : public QWidget {
public:
    RegionWidget(qkwinInfo* win, int pos, QWidget* parent) : QWidget(parent), win_(win), pos_(pos)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

    // The polygon of the record in this widget's coordinates.
    QPolygon polygon() const
    {
        QPolygon poly;
        const qkwinregionIDInfo& r = win_->regn.idPtr[pos_];
        for (int i = 0; i < r.ptscnt && i < QKWIN_MAXPOINTS; ++i)
            poly << QPoint(qksyswinCtrlScale(win_, r.points[i].x, true), qksyswinCtrlScale(win_, r.points[i].y, false)) - pos();
        return poly;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (win_->regn.idPtr == nullptr || pos_ >= win_->regn.cnt) return;
        const qkwinregionIDInfo& r = win_->regn.idPtr[pos_];
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, r.shape != SHAPE_RECT && r.shape > 1);
        const int bw = std::max(0, qksyswinCtrlScale(win_, r.bdr.width, true));
        const QRectF area = QRectF(rect()).adjusted(bw / 2.0, bw / 2.0, -bw / 2.0, -bw / 2.0);
        QPainterPath path;
        switch (r.shape) {
        case SHAPE_ROUNDED: path.addRoundedRect(area, area.width() / 8, area.height() / 8); break;
        case SHAPE_POLYGON: path.addPolygon(QPolygonF(polygon())); path.closeSubpath(); break;
        case SHAPE_ELLIPSE: path.addEllipse(area); break;
        case SHAPE_TRIANGLE: {
            QPolygonF t;
            t << QPointF(area.center().x(), area.top()) << area.bottomRight() << area.bottomLeft();
            path.addPolygon(t);
            path.closeSubpath();
            break;
        }
        case SHAPE_CIRCLE: {
            const qreal d = std::min(area.width(), area.height());
            path.addEllipse(QRectF(area.center().x() - d / 2, area.center().y() - d / 2, d, d));
            break;
        }
        default: path.addRect(area); break;
        }
        const QColor bg = qksyswinCtrlColor(r.color.bg);
        if (bg.isValid()) p.fillPath(path, bg);
        if (r.image.path[0] != '\0') {
            const QPixmap pix(QString::fromUtf8(r.image.path));
            if (!pix.isNull()) {
                p.save();
                p.setClipPath(path);
                p.drawPixmap(area.toRect(), pix);
                p.restore();
            }
        }
        const bool shaded = (r.bdr.type == 7 || r.bdr.type == 8) && (r.shape <= SHAPE_RECT);
        if (shaded) {
            qDrawShadePanel(&p, rect(), palette(), r.bdr.type == 8, std::max(bw, 1));
        } else if (bw > 0 || r.bdr.type == 6) {
            QColor line = qksyswinCtrlColor(r.bdr.color.fg);
            if (!line.isValid()) line = qksyswinCtrlColor(r.color.border);
            if (!line.isValid()) line = palette().color(QPalette::WindowText);
            p.setPen(QPen(line, std::max(bw, 1)));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
        }
    }

private:
    qkwinInfo* win_;
    int pos_;
};

}  // namespace

int qksyswinRegionCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinRegionCreate");
    for (int i = 0; i < win->regn.cnt; ++i) {
        qkwinregionIDInfo& rec = win->regn.idPtr[i];
        auto* w = new RegionWidget(win, i, set.canvas);
        QRect box(qksyswinCtrlScale(win, rec.xorig, true), qksyswinCtrlScale(win, rec.yorig, false),
                  qksyswinCtrlScale(win, rec.xsize, true), qksyswinCtrlScale(win, rec.ysize, false));
        // A polygon covers its points as well as its rectangle.
        for (int k = 0; rec.shape == SHAPE_POLYGON && k < rec.ptscnt && k < QKWIN_MAXPOINTS; ++k) {
            const QPoint pt(qksyswinCtrlScale(win, rec.points[k].x, true), qksyswinCtrlScale(win, rec.points[k].y, false));
            box = box.isEmpty() ? QRect(pt, QSize(1, 1)) : box.united(QRect(pt, QSize(1, 1)));
        }
        w->setGeometry(box);
        // Regions carry no id in their definition: they are named by position.
        w->setObjectName(QStringLiteral("region%1").arg(i));
        w->setAccessibleDescription(QStringLiteral("region %1").arg(i));
        w->setVisible(true);
        w->lower();
        rec.sysPtr = w;
        set.regn.emplace_back(w);
    }
    return 0;
}
