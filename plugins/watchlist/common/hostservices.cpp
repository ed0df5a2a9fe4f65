#include "hostservices.h"

#include "hostnames.h"
#include "iapplication.h"
#include "icookies.h"
#include "itoolwindowmanager.h"
#include "objectregistry.h"
#include "solutionview.h"
#include "viewhelper.h"

#include <QCoreApplication>
#include <QVariant>

namespace HostServices {

IApplication *application()
{
    const quint64 address = qApp->property("IApplication").toULongLong();
    return reinterpret_cast<IApplication *>(static_cast<quintptr>(address));
}

QObject *find(IApplication *application, const QString &name)
{
    if (!application)
        return nullptr;
    return application->objectRegistry()->value(name);
}

Solution::View *solutionView(IApplication *application)
{
    return static_cast<Solution::View *>(find(application, HostNames::solutionView()));
}

Solution::ViewHelper *viewHelper(IApplication *application)
{
    return static_cast<Solution::ViewHelper *>(find(application, HostNames::solutionViewHelper()));
}

ICookies *cookies(IApplication *application)
{
    return qobject_cast<ICookies *>(find(application, HostNames::cookies()));
}

IToolWindowManager *toolWindows(IApplication *application)
{
    return application ? static_cast<IToolWindowManager *>(
                             application->getManager(HostNames::toolWindowManager()))
                       : nullptr;
}

QString currentProjectName(IApplication *application)
{
    ICookies *store = cookies(application);
    return store ? store->value(HostNames::projectNameCookie(), QVariant()).toString() : QString();
}

} // namespace HostServices
