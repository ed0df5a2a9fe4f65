#pragma once

#include "nodeinfo.h"
#include "solutiontypes.h"

#include <QObject>
#include <QVariant>

namespace Solution {

// The solution tree ("Solution.View"). A node is addressed by its path: the
// node names from the project node down, joined by ".".
//
// Plug-ins connect to these signals by pointer to member, so their order and
// parameter types are part of the contract.
class View : public QObject
{
    Q_OBJECT
public:
    explicit View(QObject *parent = nullptr)
        : QObject(parent)
    {}
    ~View() override = default;

    // insertMode 0 appends the node after its last sibling.
    virtual bool addNode(const QString &parentPath, const NodeInfo &info, int insertMode) = 0;
    // recursive also drops the node's descendants; without it a node that has
    // children is refused.
    virtual bool removeNode(const QString &path, bool recursive) = 0;
    // Position among its siblings, or -1.
    virtual int nodeIndex(const QString &path) const = 0;
    // Moves the child at position from to position to.
    virtual bool moveNode(const QString &parentPath, int to, int from) = 0;
    virtual QVariant
    nodeData(const QString &path, const QString &key, const QVariant &defaultValue) const = 0;
    virtual QStringList childNodes(const QString &path) const = 0;

signals:
    void nodeEvent(const QString &path, Solution::NodeEvent event, const QVariant &param);
    void displayEvent(const QString &path, Solution::DataEvent event, const QVariant &param);
    void projectOpened(const QString &projectName,
                       const Solution::ProjectInfo &info,
                       Solution::NodeLevel lev);
    void projectClosed();
    void compileResult(const QString &projectName, bool succeeded);
    void aboutToBeDestroyed();
};

} // namespace Solution
