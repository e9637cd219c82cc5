// qksyswinfiledlg: open and save file dialogs (see the header).
#include "qksyswinfiledlg.h"

#include <QFileDialog>

#include <cstdlib>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyswinprivate.h"

int qksyswinfiledlg(qkwinInfo* window, int save, const char* filter, char* name, size_t size)
{
    qklogTrace("qksyswinfiledlg");
    if (name == nullptr || size == 0) return 0;
    name[0] = '\0';
    if (qksyswinAutoAnswer(112) >= 0) {
        const char* answer = std::getenv("VX_FILEDLG_AUTOANSWER");
        if (answer == nullptr || answer[0] == '\0') return 0;
        qkstrlcpy(name, size, answer);
        return 1;
    }
    QString pattern = QString::fromLocal8Bit(filter ? filter : "");
    QString caption = save ? "Save file" : "Open file";
    qksyswinObjEx* owner = window ? qksyswinobjex(window) : nullptr;
    auto chosen = std::make_shared<QString>();
    int r = qksyswinRunModal([=](std::shared_ptr<qksyswinModalState> st) {
        QWidget* parent = (owner && qksyswinAlive(owner) && owner->top) ? owner->top->window() : nullptr;
        auto* dlg = new QFileDialog(parent, caption, QString(), pattern);
        dlg->setObjectName("qkwinfiledlg");
        dlg->setOption(QFileDialog::DontUseNativeDialog, true);
        dlg->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dlg->setWindowModality(Qt::ApplicationModal);
        QObject::connect(dlg, &QFileDialog::finished, dlg, [dlg, st, chosen](int result) {
            if (result == QDialog::Accepted && !dlg->selectedFiles().isEmpty()) *chosen = dlg->selectedFiles().first();
            dlg->deleteLater();
            st->finish(chosen->isEmpty() ? 0 : 1);
        });
        st->widget = dlg;
        dlg->show();
    });
    if (r != 1) return 0;
    qkstrlcpy(name, size, chosen->toLocal8Bit().constData());
    return 1;
}

namespace {

int commonDialog(qkwinInfo* window, int save)
{
    if (window == nullptr) return -2;
    char name[QKWIN_TEXTSIZE];
    window->cdlg.type = save ? 2 : 1;
    window->cdlg.rslt = qksyswinfiledlg(window, save, window->cdlg.filter, name, sizeof name);
    qkstrset(window->cdlg.fName, window->cdlg.rslt == 1 ? name : "");
    return 0;
}

}  // namespace

int qksyswinopenfile(qkwinInfo* window)
{
    qklogTrace("qksyswinopenfile");
    return commonDialog(window, 0);
}

int qksyswinsavefile(qkwinInfo* window)
{
    qklogTrace("qksyswinsavefile");
    return commonDialog(window, 1);
}
