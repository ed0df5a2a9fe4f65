#include "hostservices.h"

#include "iapplication.h"
#include "icookies.h"
#include "objectregistry.h"

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

QString currentProjectName(IApplication *application)
{
    auto cookies = static_cast<ICookies *>(find(application, QStringLiteral("ICookies")));
    return cookies->value(QStringLiteral("Project.Name"), QVariant()).toString();
}

} // namespace HostServices
