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

    // Gathers the commands pushed onto the project's stack from now on into
    // one undo step named text. The step begins with the first such command,
    // so a macro that receives none leaves no step (and the redo history as
    // it was). One macro at a time; a second call ends the first.
    void beginMacro(const QString &projectName, const QString &text);
    // Ends the macro, naming its step text unless that is empty; true when
    // the macro made a step.
    bool endMacro(const QString &text = QString());

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
    struct Macro
    {
        QString project;
        QString text;
        QPointer<QUndoStack> begun;
        bool pending = false;
    };
    Macro m_macro;
    QPointer<ToolWindowManager> m_toolWindows;
    QPointer<QTreeWidget> m_symbols;
    QString m_symbolsProject;
};
