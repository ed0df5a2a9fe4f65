#pragma once

#include "solutionview.h"

#include <QHash>
#include <QPointer>

class QPoint;
class QTreeWidget;
class QTreeWidgetItem;
class ToolWindowManager;

// The solution tree: a QTreeWidget in the host's "Solution" window. Each item
// keeps the name and data of the NodeInfo it was added with; a node's path is
// the names from its project node down, joined by ".". Project nodes are the
// top-level items (parent path "").
class SolutionTree : public Solution::View
{
    Q_OBJECT
public:
    // The tree goes into a host tool window of the manager, when one is given.
    explicit SolutionTree(ToolWindowManager *toolWindows, QObject *parent = nullptr);
    ~SolutionTree() override;

    // Every insertMode appends. Refused when the parent is unknown, the name
    // is empty or the name leads from the parent to a node already.
    bool addNode(const QString &parentPath, const NodeInfo &info, int insertMode) override;
    bool removeNode(const QString &path, bool recursive) override;
    int nodeIndex(const QString &path) const override;
    bool moveNode(const QString &parentPath, int to, int from) override;
    QVariant
    nodeData(const QString &path, const QString &key, const QVariant &defaultValue) const override;
    QStringList childNodes(const QString &path) const override;

    QTreeWidget *treeWidget() const;
    QTreeWidgetItem *item(const QString &path) const;
    QString path(const QTreeWidgetItem *item) const;
    // Makes the project's node current, unless the current node already lies
    // in that project.
    void selectProject(const QString &projectName);
    // Activates the node as a double click does; false when there is none.
    bool activate(const QString &path);

    // The tree's items, each with its children by name.
    class Node;

signals:
    // A node of that project became the current one.
    void projectSelected(const QString &projectName);

private:
    QTreeWidgetItem *parentItem(const QString &parentPath) const;
    QHash<QString, Node *> *childIndex(QTreeWidgetItem *parent);
    void onCurrentItemChanged(QTreeWidgetItem *current);
    void onItemActivated(QTreeWidgetItem *item);
    void onContextMenuRequested(const QPoint &pos);

    QPointer<QTreeWidget> m_tree;
    QHash<QString, Node *> m_projects; // the top-level nodes by name
    bool m_quiet = false;
};
