#pragma once

#include "icrossreference.h"

#include <QPointer>

class ICookies;
class QTreeWidget;
class ToolWindowManager;

// Lists where a symbol of the current project ("Project.Name") is used, in the
// host's "Cross Reference" window.
class CrossReference : public ICrossReference
{
    Q_OBJECT
public:
    // The view goes into a host tool window of the manager, when one is given.
    CrossReference(ICookies *cookies, ToolWindowManager *toolWindows, QObject *parent = nullptr);
    ~CrossReference() override;

    void browseSymbol(const QString &symbol) override;

    QTreeWidget *view() const;
    // The project whose references the view shows; empty when none.
    QString shownProject() const;
    // Clears the view when it shows the project's references.
    void forgetProject(const QString &projectName);

private:
    void showMessage(const QString &message);

    QPointer<ICookies> m_cookies;
    QPointer<ToolWindowManager> m_toolWindows;
    QPointer<QTreeWidget> m_view;
    QString m_project;
};
