#pragma once

#include <QString>

class IApplication;
class QObject;

namespace HostServices {

// The host application object, from the QApplication's "IApplication" property.
IApplication *application();

// The service registered under name, or null (also without an application).
QObject *find(IApplication *application, const QString &name);

// The current project's name, from the cookie "Project.Name"; empty when unset.
QString currentProjectName(IApplication *application);

} // namespace HostServices
