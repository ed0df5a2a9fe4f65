#pragma once

#include <QString>

// The names under which the host registers its services, keeps its cookies
// and shows its own tool windows; plug-ins look them up by the same names.
// Functions rather than constants: QStringLiteral builds no string at run time.
namespace HostNames {

// Services in the application's object registry (their object names).
inline QString solutionView()
{
    return QStringLiteral("Solution.View");
}
inline QString solutionViewHelper()
{
    return QStringLiteral("Solution.ViewHelper");
}
inline QString cookies()
{
    return QStringLiteral("ICookies");
}
inline QString transfer()
{
    return QStringLiteral("zentrel.Transfer");
}
inline QString crossReference()
{
    return QStringLiteral("orvane.crossreference");
}
inline QString comparatorManager()
{
    return QStringLiteral("COMPARATORMAN");
}

// Managers, by the kind IApplication::getManager() takes.
inline QString toolWindowManager()
{
    return QStringLiteral("toolWindow");
}

// Cookies.
inline QString projectNameCookie() // the current project
{
    return QStringLiteral("Project.Name");
}
inline QString programStyleCookie() // 1: watch-list windows offer the batch monitor
{
    return QStringLiteral("Program.Style");
}

// Tool windows of the host's own, by id.
inline QString compileOutputWindow()
{
    return QStringLiteral("orvane.CompileOutPut");
}

} // namespace HostNames
