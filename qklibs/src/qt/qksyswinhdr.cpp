// qksyswinhdr: header controls on Qt (see the header). A header is a
// QTreeWidget without tree decoration: one column per SUBHDR (titles from
// their names, the widths of the header shared equally unless a column has
// its own), the rows from the header's file. A column title clicked notifies
// the column's id with code 0; a row selected by the user notifies the
// header's id with code 1, a row double-clicked code 2. Columns keep their
// share of the width when the header is resized or a column is dragged. The
// list is read again when the window repaints and the file has changed.
// GUI thread; the operation comes through qksyswinGuiCall.
#include "qksyswinhdr.h"

#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "qklogsrv.h"
#include "qksyswinctrl.h"
#include "qksyswinthread.h"

namespace {

// Rows of the header's file.
void fill(QTreeWidget* tree, const qkwinHdrIDInfo& rec)
{
    const QSignalBlocker block(tree);
    tree->clear();
    QFile file(QString::fromUtf8(rec.path));
    if (rec.path[0] == '\0' || !file.open(QIODevice::ReadOnly)) return;
    const QChar delim = rec.delm > 0 && rec.delm < 256 ? QChar(rec.delm) : QChar('\t');
    const int columns = std::max(1, tree->columnCount());
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
        QStringList fields = line.split(delim);
        // Fields past the last column stay in the last one.
        while (fields.size() > columns) fields[columns - 1] += delim + fields.takeAt(columns);
        for (QString& f : fields) f = f.trimmed();
        new QTreeWidgetItem(tree, fields);
    }
}

qint64 stamp(const char* path)
{
    const QFileInfo info(QString::fromUtf8(path));
    return info.exists() ? info.lastModified().toMSecsSinceEpoch() ^ (info.size() << 20) : -1;
}

}  // namespace

int qksyswinHdrCreate(qkwinInfo* win, qksyswinCtrlSet& set)
{
    qklogTrace("qksyswinHdrCreate");
    for (int i = 0; i < win->hdr.cnt; ++i) {
        qkwinHdrIDInfo& rec = win->hdr.idPtr[i];
        auto* tree = new QTreeWidget(set.canvas);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        const int columns = std::max(1, rec.subCnt);
        tree->setColumnCount(columns);
        QStringList titles;
        for (int k = 0; k < rec.subCnt; ++k) titles << qksyswinCtrlText(rec.subidPtr[k].name);
        if (titles.isEmpty()) titles << qksyswinCtrlText(rec.name);
        tree->setHeaderLabels(titles);
        tree->header()->setSectionsClickable(true);
        tree->header()->setStretchLastSection(true);
        qksyswinCtrlApplyColors(tree, rec.color, QPalette::Base, QPalette::Text, false);
        qksyswinCtrlIdentify(tree, rec.id, qksyswinCtrlText(rec.name));
        qksyswinCtrlApplyFont(win, tree, rec.fontid);
        qksyswinCtrlPlace(win, tree, rec.xorig, rec.yorig, rec.xsize, rec.ysize);
        const int share = tree->width() / columns;
        for (int k = 0; k < rec.subCnt; ++k) {
            const int width = rec.subidPtr[k].width > 0 ? qksyswinCtrlScale(win, rec.subidPtr[k].width, true) : share;
            tree->setColumnWidth(k, width);
        }
        const int id = rec.id;
        QObject::connect(tree->header(), &QHeaderView::sectionClicked, tree, [win, i](int section) {
            const qkwinHdrIDInfo& h = win->hdr.idPtr[i];
            if (section >= 0 && section < h.subCnt) qksyswinNotify(win, h.subidPtr[section].id, 0);
        });
        QObject::connect(tree, &QTreeWidget::itemSelectionChanged, tree, [win, id] { qksyswinNotify(win, id, 1); });
        QObject::connect(tree, &QTreeWidget::itemDoubleClicked, tree, [win, id] { qksyswinNotify(win, id, 2); });
        tree->setVisible(true);
        rec.sysPtr = tree;
        set.hdr.emplace_back(tree);
        set.hdrStamp.emplace_back(QString(), -2);
    }
    qksyswinHdrReload(win, set, true);
    return 0;
}

int qksyswinHdrReload(qkwinInfo* win, qksyswinCtrlSet& set, bool force)
{
    qklogTrace("qksyswinHdrReload");
    for (int i = 0; i < win->hdr.cnt && i < static_cast<int>(set.hdr.size()); ++i) {
        auto* tree = qobject_cast<QTreeWidget*>(set.hdr[static_cast<size_t>(i)].data());
        if (tree == nullptr) continue;
        const qkwinHdrIDInfo& rec = win->hdr.idPtr[i];
        const QString path = QString::fromUtf8(rec.path);
        const qint64 now = stamp(rec.path);
        auto& last = set.hdrStamp[static_cast<size_t>(i)];
        if (!force && last.first == path && last.second == now) continue;
        last = {path, now};
        fill(tree, rec);
    }
    return 0;
}

int qksyswinhdrdsplist(qkwinInfo* window)
{
    qklogTrace("qksyswinhdrdsplist");
    if (window == nullptr) return -2;
    qksyswinGuiCall([&] {
        if (qksyswinCtrlSet* set = qksyswinCtrlGet(window)) qksyswinHdrReload(window, *set, true);
    });
    return 0;
}
