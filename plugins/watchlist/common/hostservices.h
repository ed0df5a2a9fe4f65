#pragma once

#include <QString>

class IApplication;
class ICookies;
class IToolWindowManager;
class QObject;

namespace Solution {
class View;
class ViewHelper;
} // namespace Solution

namespace HostServices {

// The host application object, from the QApplication's "IApplication" property.
IApplication *application();

// The service registered under name, or null (also without an application).
QObject *find(IApplication *application, const QString &name);

// The host's services the plug-in uses, by their registered names; null
// where the host has none.
Solution::View *solutionView(IApplication *application);
Solution::ViewHelper *viewHelper(IApplication *application);
ICookies *cookies(IApplication *application);
IToolWindowManager *toolWindows(IApplication *application);

// The current project's name, from the cookie "Project.Name"; empty when unset.
QString currentProjectName(IApplication *application);

} // namespace HostServices
