#pragma once

// What the variable tree's files share: the tree's private part and the
// helpers its passes over rows use.

#include "accore.h"
#include "livewatch.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"
#include "transfer.h"
#include "vartreewidget.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>

#include <string>
#include <vector>

class VarTreeItem;

namespace VarTreeDetail {

// The host's service registered under the name, or null.
QObject *service(const QString &name);
// The current project, as the host's cookie names it.
QString projectNameCookie();
void setTextIfChanged(QTreeWidgetItem *item, int column, const QString &text);
// Why the row's name stands for no value; empty for none.
QString problemOf(QTreeWidgetItem *item);
// Why a name that is no symbol stands for nothing on the device: a short text
// for the Value cell and a longer one for its tooltip.
void describeProblem(const QString &variable,
                     const ac::DeviceMemory &memory,
                     QString *text,
                     QString *detail);

} // namespace VarTreeDetail

class VarTreeWidget::Private
{
public:
    // The project's symbols and controller, held for one pass over rows.
    struct Pass
    {
        explicit Pass(const QString &projectName)
            : name(projectName.toStdString())
            , model(ProjectModelManager::instance()->projectModel(name, false))
            , core(name, false)
            , project(dynamic_cast<ProjectModel *>(model.get()))
            , memory(core ? core->deviceMemory() : nullptr)
        {}

        std::string name;
        SafeProjectModel model;
        SafeAccore core;
        ProjectModel *project;
        ac::DeviceMemory *memory;
    };

    explicit Private(VarTreeWidget *tree)
        : q(tree)
    {}

    bool isOnline() const { return transfer && transfer->isOnline(); }
    bool isWatching() const { return watchEnabled && isOnline(); }
    // A window showing one project's list names it in the tree's dynamic
    // property, so that no operation beyond the tree's own is needed.
    // Kept from the property as it changes: every row's pass asks for it.
    QString ownProject() const { return projectName; }
    QString currentProject() const
    {
        const QString own = ownProject();
        return own.isEmpty() ? VarTreeDetail::projectNameCookie() : own;
    }

    // The timer, scrolling, edits, expanded words and new values refresh rows.
    void connectRefreshes();
    // Online state and the current project come from the host's services.
    void connectHost();
    void updateTimer();
    void refresh();
    void resolveAll(const Pass &pass);
    bool sourceChanged(const Pass &pass) const;
    void resolve(VarTreeItem *item, const Pass &pass);
    void readValue(VarTreeItem *item, const Pass &pass);
    void readValues(const Pass &pass);
    // Rows scrolled out of sight keep their last value; a long list that is
    // shown costs only its visible rows.
    void readVisibleValues(const Pass &pass);
    void clearValues();
    void stopWatching() { ac::LiveWatch::instance()->forget(q); }
    bool canWriteValue(const QModelIndex &index) const;
    bool canChangeShowMode(const QModelIndex &index) const;
    void writeValue(const QPersistentModelIndex &index, const QString &text);
    void tell(const QString &message);
    void setName(VarTreeItem *item, const QString &name, const QString &fullName);
    void forgetView(VarTreeItem *item);
    void expandWord(VarTreeItem *item);
    void onItemChanged(QTreeWidgetItem *item, int column);

    VarTreeWidget *q;
    QTimer timer;
    // A scroll that pages in rows reads them once they are laid out, not the
    // rows of the layout the paging is about to replace.
    QTimer scrollRefresh;
    QPointer<Transfer> transfer;
    QString projectName;
    bool watchEnabled = true;
    bool settingNames = false;
    std::vector<uint8_t> buffer;
    // The value cell being edited: refreshes leave it alone, or the editor
    // would take the new value over what the user is typing.
    QPersistentModelIndex editedValue;

    // What the rows were last resolved against; addresses parsed for another
    // device memory must not be read from this one.
    std::string sourceProject;
    const void *sourceModel = nullptr;
    const void *sourceMemory = nullptr;
    std::string sourceDevice;
};
