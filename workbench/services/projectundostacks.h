#pragma once

#include "viewhelper.h"

#include <QHash>
#include <QPointer>

class QTreeWidget;
class QUndoGroup;
class QUndoStack;
class ToolWindowManager;

// One undo stack per open project, gathered in a QUndoGroup whose active
// stack is the current project's. Forwards the data model's announcements of
// undone and redone steps, and shows symbol definitions in the host's
// "Symbols" window.
class ProjectUndoStacks : public Solution::ViewHelper
{
    Q_OBJECT
public:
    // The symbols view goes into a host tool window of the manager, when one
    // is given.
    explicit ProjectUndoStacks(ToolWindowManager *toolWindows, QObject *parent = nullptr);
    ~ProjectUndoStacks() override;

    void pushCommand(QUndoCommand *command) override;
    // An empty project name means the current project. The Symbols window
    // only ever lists the current project's symbols, so another project's
    // definition asks for that project to become current first.
    bool gotoSymbol(const QString &symbol, const QString &projectName) override;

    QUndoGroup *undoGroup() const;
    // Null when the project has a stack already.
    QUndoStack *addProject(const QString &projectName);
    void removeProject(const QString &projectName);
    QUndoStack *stack(const QString &projectName) const;

    // The project whose stack receives pushed commands; empty for none.
    void setCurrentProject(const QString &projectName);
    QString currentProject() const;

    QTreeWidget *symbolsView() const;
    // The project whose symbols the view lists, empty when it lists none.
    QString symbolsProject() const;

signals:
    // Whoever keeps the current project answers with setCurrentProject().
    void currentProjectWanted(const QString &projectName);

private:
    void showSymbols(const QString &projectName);

    QUndoGroup *m_group;
    QHash<QString, QUndoStack *> m_stacks;
    QString m_current;
    QPointer<ToolWindowManager> m_toolWindows;
    QPointer<QTreeWidget> m_symbols;
    QString m_symbolsProject;
};
