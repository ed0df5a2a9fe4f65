#include "crossreference.h"

#include "hostnames.h"
#include "icookies.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"
#include "toolwindowmanager.h"

#include <QTreeWidget>

CrossReference::CrossReference(ICookies *cookies, ToolWindowManager *toolWindows, QObject *parent)
    : ICrossReference(parent)
    , m_cookies(cookies)
    , m_toolWindows(toolWindows)
{
    setObjectName(HostNames::crossReference());

    auto *view = new QTreeWidget;
    view->setObjectName(QStringLiteral("crossReferenceView"));
    view->setRootIsDecorated(false);
    view->setHeaderLabels({tr("Symbol"), tr("Used at")});
    m_view = view;
    if (toolWindows && toolWindows->addHostToolWindow(Qt::BottomDockWidgetArea,
                                                      view,
                                                      QLatin1String(ToolWindowId::CrossReference),
                                                      tr("Cross Reference"),
                                                      false)) {
        toolWindows->placeToolWindow(QLatin1String(ToolWindowId::CrossReference),
                                     QLatin1String(ToolWindowId::CompileOutput));
    }
}

CrossReference::~CrossReference()
{
    if (m_view && !m_view->parent())
        delete m_view;
}

void CrossReference::browseSymbol(const QString &symbol)
{
    if (!m_view)
        return;
    m_view->clear();
    m_project.clear();

    const QString project =
        m_cookies ? m_cookies->value(HostNames::projectNameCookie()).toString() : QString();
    const OpenProject model(project);
    const Symbol *found = model ? model->symbol(symbol) : nullptr;
    if (model)
        m_project = project;
    if (!model) {
        showMessage(tr("No project is open."));
    } else if (!found) {
        showMessage(tr("\"%1\" is not a symbol of project %2.").arg(symbol, project));
    } else if (found->references.isEmpty()) {
        showMessage(tr("\"%1\" has no references.").arg(symbol));
    } else {
        QList<QTreeWidgetItem *> items;
        for (const QString &reference : found->references)
            items.append(new QTreeWidgetItem(QStringList{found->name, reference}));
        m_view->addTopLevelItems(items);
    }
    if (m_toolWindows)
        m_toolWindows->showToolWindow(QLatin1String(ToolWindowId::CrossReference), true);
}

QTreeWidget *CrossReference::view() const
{
    return m_view.data();
}

QString CrossReference::shownProject() const
{
    return m_project;
}

void CrossReference::forgetProject(const QString &projectName)
{
    if (m_view && !m_project.isEmpty() && m_project == projectName) {
        m_view->clear();
        m_project.clear();
    }
}

void CrossReference::showMessage(const QString &message)
{
    auto *item = new QTreeWidgetItem(QStringList{message});
    m_view->addTopLevelItem(item);
    item->setFirstColumnSpanned(true);
}
