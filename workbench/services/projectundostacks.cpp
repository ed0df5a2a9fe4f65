#include "projectundostacks.h"

#include "hostnames.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"
#include "toolwindowmanager.h"

#include <QTreeWidget>
#include <QUndoCommand>
#include <QUndoGroup>
#include <QUndoStack>

namespace {

enum SymbolColumn { NameColumn, DataTypeColumn, AddressColumn, CommentColumn };

} // namespace

ProjectUndoStacks::ProjectUndoStacks(ToolWindowManager *toolWindows, QObject *parent)
    : Solution::ViewHelper(parent)
    , m_group(new QUndoGroup(this))
    , m_toolWindows(toolWindows)
{
    setObjectName(HostNames::solutionViewHelper());
    connect(ProjectModelManager::instance(),
            &ProjectModelManager::commandExecuted,
            this,
            &ProjectUndoStacks::commandExecuted);

    auto *symbols = new QTreeWidget;
    symbols->setObjectName(QStringLiteral("symbolsView"));
    symbols->setRootIsDecorated(false);
    symbols->setHeaderLabels({tr("Name"), tr("Data Type"), tr("Address"), tr("Comment")});
    m_symbols = symbols;
    if (toolWindows) {
        toolWindows->addHostToolWindow(Qt::RightDockWidgetArea,
                                       symbols,
                                       QLatin1String(ToolWindowId::Symbols),
                                       tr("Symbols"),
                                       false);
    }
}

ProjectUndoStacks::~ProjectUndoStacks()
{
    qDeleteAll(m_stacks);
    if (m_symbols && !m_symbols->parent())
        delete m_symbols;
}

void ProjectUndoStacks::pushCommand(QUndoCommand *command)
{
    if (!command)
        return;
    QUndoStack *target = m_stacks.value(m_current);
    if (!target) {
        delete command;
        return;
    }
    if (m_macro.pending && !m_macro.begun && m_current == m_macro.project) {
        target->beginMacro(m_macro.text);
        m_macro.begun = target;
    }
    target->push(command);
}

void ProjectUndoStacks::beginMacro(const QString &projectName, const QString &text)
{
    endMacro();
    m_macro.project = projectName;
    m_macro.text = text;
    m_macro.pending = true;
}

bool ProjectUndoStacks::endMacro(const QString &text)
{
    QUndoStack *stack = m_macro.begun;
    m_macro = Macro();
    if (!stack)
        return false;
    // The open macro is the stack's last command; named before it closes, so
    // that the stack announces its final text.
    if (!text.isEmpty() && stack->count() > 0)
        const_cast<QUndoCommand *>(stack->command(stack->count() - 1))->setText(text);
    stack->endMacro();
    return true;
}

bool ProjectUndoStacks::gotoSymbol(const QString &symbol, const QString &projectName)
{
    const QString project = projectName.isEmpty() ? m_current : projectName;
    if (const OpenProject model(project); !model || !model->symbol(symbol))
        return false;
    if (project != m_current)
        emit currentProjectWanted(project);
    if (project != m_current)
        return false;
    showSymbols(project);
    if (!m_symbols)
        return false;
    const QList<QTreeWidgetItem *> found =
        m_symbols->findItems(symbol, Qt::MatchExactly | Qt::MatchCaseSensitive, NameColumn);
    if (found.isEmpty())
        return false;
    m_symbols->setCurrentItem(found.first());
    m_symbols->scrollToItem(found.first());
    if (m_toolWindows)
        m_toolWindows->showToolWindow(QLatin1String(ToolWindowId::Symbols), true);
    return true;
}

QUndoGroup *ProjectUndoStacks::undoGroup() const
{
    return m_group;
}

QUndoStack *ProjectUndoStacks::addProject(const QString &projectName)
{
    if (projectName.isEmpty() || m_stacks.contains(projectName))
        return nullptr;
    auto *stack = new QUndoStack;
    stack->setObjectName(projectName);
    m_group->addStack(stack);
    m_stacks.insert(projectName, stack);
    if (projectName == m_current)
        m_group->setActiveStack(stack);
    return stack;
}

void ProjectUndoStacks::removeProject(const QString &projectName)
{
    delete m_stacks.take(projectName);
    if (m_symbolsProject == projectName)
        showSymbols(QString());
}

QUndoStack *ProjectUndoStacks::stack(const QString &projectName) const
{
    return m_stacks.value(projectName);
}

void ProjectUndoStacks::setCurrentProject(const QString &projectName)
{
    m_current = projectName;
    m_group->setActiveStack(m_stacks.value(projectName));
    showSymbols(projectName);
}

QString ProjectUndoStacks::currentProject() const
{
    return m_current;
}

QTreeWidget *ProjectUndoStacks::symbolsView() const
{
    return m_symbols.data();
}

QString ProjectUndoStacks::symbolsProject() const
{
    return m_symbolsProject;
}

void ProjectUndoStacks::showSymbols(const QString &projectName)
{
    if (!m_symbols)
        return;
    m_symbols->clear();
    m_symbolsProject.clear();
    const OpenProject model(projectName);
    if (!model)
        return;
    m_symbolsProject = projectName;
    const QVector<Symbol> symbols = model->symbols();
    QList<QTreeWidgetItem *> items;
    items.reserve(symbols.size());
    for (const Symbol &symbol : symbols) {
        items.append(new QTreeWidgetItem(
            QStringList{symbol.name, symbol.dataType, symbol.address, symbol.comment}));
    }
    m_symbols->addTopLevelItems(items);
}
