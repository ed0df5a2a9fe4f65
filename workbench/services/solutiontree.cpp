#include "solutiontree.h"

#include "toolwindowmanager.h"

#include <QTreeWidget>

namespace {

const int NameRole = Qt::UserRole;
const int DataRole = Qt::UserRole + 1;

QString nodeName(const QTreeWidgetItem *item)
{
    return item->data(0, NameRole).toString();
}

// Names may themselves contain ".", so a path is matched name by name instead
// of being split.
QTreeWidgetItem *findBelow(const QTreeWidgetItem *parent, const QString &path, int from)
{
    const int rest = path.size() - from;
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem *child = parent->child(i);
        const QString name = nodeName(child);
        if (name.isEmpty() || name.size() > rest || path.midRef(from, name.size()) != name)
            continue;
        if (name.size() == rest)
            return child;
        if (path.at(from + name.size()) == QLatin1Char('.')) {
            if (QTreeWidgetItem *found = findBelow(child, path, from + name.size() + 1))
                return found;
        }
    }
    return nullptr;
}

void collectExpanded(QTreeWidgetItem *item, QList<QTreeWidgetItem *> *expanded)
{
    if (item->isExpanded())
        expanded->append(item);
    for (int i = 0; i < item->childCount(); ++i)
        collectExpanded(item->child(i), expanded);
}

QString projectOf(const QTreeWidgetItem *item)
{
    while (item->parent())
        item = item->parent();
    return nodeName(item);
}

bool isWithin(const QTreeWidgetItem *item, const QTreeWidgetItem *ancestor)
{
    for (; item; item = item->parent()) {
        if (item == ancestor)
            return true;
    }
    return false;
}

} // namespace

SolutionTree::SolutionTree(ToolWindowManager *toolWindows, QObject *parent)
    : Solution::View(parent)
{
    setObjectName(QStringLiteral("Solution.View"));
    qRegisterMetaType<Solution::NodeEvent>("Solution::NodeEvent");
    qRegisterMetaType<Solution::DataEvent>("Solution::DataEvent");
    qRegisterMetaType<Solution::NodeLevel>("Solution::NodeLevel");
    qRegisterMetaType<Solution::ProjectInfo>("Solution::ProjectInfo");
    qRegisterMetaType<NodeInfo>("NodeInfo");

    auto *tree = new QTreeWidget;
    tree->setObjectName(QStringLiteral("solutionTree"));
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree = tree;

    connect(tree, &QTreeWidget::currentItemChanged, this, &SolutionTree::onCurrentItemChanged);
    connect(tree, &QTreeWidget::itemActivated, this, &SolutionTree::onItemActivated);
    connect(
        tree, &QWidget::customContextMenuRequested, this, &SolutionTree::onContextMenuRequested);

    if (toolWindows) {
        toolWindows->addHostToolWindow(Qt::LeftDockWidgetArea,
                                       tree,
                                       QLatin1String(ToolWindowId::Solution),
                                       tr("Solution"),
                                       true);
    }
}

SolutionTree::~SolutionTree()
{
    emit aboutToBeDestroyed();
    if (m_tree && !m_tree->parent())
        delete m_tree;
}

bool SolutionTree::addNode(const QString &parentPath, const NodeInfo &info, int insertMode)
{
    Q_UNUSED(insertMode)
    QTreeWidgetItem *parent = parentItem(parentPath);
    if (!parent || info.name.isEmpty())
        return false;
    const QString nodePath =
        parentPath.isEmpty() ? info.name : parentPath + QLatin1Char('.') + info.name;
    if (item(nodePath))
        return false;

    auto *node = new QTreeWidgetItem;
    node->setText(0, info.text.isEmpty() ? info.name : info.text);
    node->setIcon(0, info.icon);
    if (info.color.isValid())
        node->setForeground(0, info.color);
    node->setData(0, NameRole, info.name);
    node->setData(0, DataRole, QVariant(info.data));
    parent->addChild(node);
    node->setHidden(!info.visible);
    node->setExpanded(info.expanded != 0);
    return true;
}

bool SolutionTree::removeNode(const QString &path, bool recursive)
{
    QTreeWidgetItem *node = item(path);
    if (!node || (!recursive && node->childCount() > 0))
        return false;
    // Losing the current item moves the selection somewhere else; that must
    // not make another project current behind the caller's back.
    const bool quiet = m_quiet;
    m_quiet = true;
    delete node;
    m_quiet = quiet;
    return true;
}

int SolutionTree::nodeIndex(const QString &path) const
{
    const QTreeWidgetItem *node = item(path);
    if (!node)
        return -1;
    return node->parent() ? node->parent()->indexOfChild(const_cast<QTreeWidgetItem *>(node))
                          : m_tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem *>(node));
}

bool SolutionTree::moveNode(const QString &parentPath, int to, int from)
{
    QTreeWidgetItem *parent = parentItem(parentPath);
    if (!parent)
        return false;
    const int count = parent->childCount();
    if (from < 0 || from >= count || to < 0 || to >= count)
        return false;
    if (from == to)
        return true;

    QTreeWidgetItem *moving = parent->child(from);
    QTreeWidgetItem *current = m_tree->currentItem();
    QList<QTreeWidgetItem *> expanded;
    collectExpanded(moving, &expanded);

    const bool quiet = m_quiet;
    m_quiet = true;
    parent->takeChild(from);
    parent->insertChild(to, moving);
    for (QTreeWidgetItem *node : qAsConst(expanded))
        node->setExpanded(true);
    if (isWithin(current, moving))
        m_tree->setCurrentItem(current);
    m_quiet = quiet;
    return true;
}

QVariant
SolutionTree::nodeData(const QString &path, const QString &key, const QVariant &defaultValue) const
{
    const QTreeWidgetItem *node = item(path);
    if (!node)
        return defaultValue;
    if (key == QLatin1String("DisplayName"))
        return node->data(0, NameRole);
    return node->data(0, DataRole).toMap().value(key, defaultValue);
}

QStringList SolutionTree::childNodes(const QString &path) const
{
    QStringList names;
    const QTreeWidgetItem *parent = parentItem(path);
    if (!parent)
        return names;
    for (int i = 0; i < parent->childCount(); ++i)
        names.append(nodeName(parent->child(i)));
    return names;
}

QTreeWidget *SolutionTree::treeWidget() const
{
    return m_tree.data();
}

QTreeWidgetItem *SolutionTree::item(const QString &path) const
{
    if (!m_tree || path.isEmpty())
        return nullptr;
    return findBelow(m_tree->invisibleRootItem(), path, 0);
}

QString SolutionTree::path(const QTreeWidgetItem *item) const
{
    QStringList names;
    for (; item; item = item->parent())
        names.prepend(nodeName(item));
    return names.join(QLatin1Char('.'));
}

void SolutionTree::selectProject(const QString &projectName)
{
    QTreeWidgetItem *project = item(projectName);
    if (!project || project->parent())
        return;
    if (!isWithin(m_tree->currentItem(), project))
        m_tree->setCurrentItem(project);
}

QTreeWidgetItem *SolutionTree::parentItem(const QString &parentPath) const
{
    if (!m_tree)
        return nullptr;
    return parentPath.isEmpty() ? m_tree->invisibleRootItem() : item(parentPath);
}

void SolutionTree::onCurrentItemChanged(QTreeWidgetItem *current)
{
    if (!m_quiet && current)
        emit projectSelected(projectOf(current));
}

// The node's project is made current even when the node already was the
// current item: whoever handles the event reads the current project.
void SolutionTree::onItemActivated(QTreeWidgetItem *item)
{
    if (!item)
        return;
    m_tree->setCurrentItem(item);
    emit projectSelected(projectOf(item));
    emit nodeEvent(path(item), Solution::NodeActivated, QVariant());
}

bool SolutionTree::activate(const QString &path)
{
    QTreeWidgetItem *node = item(path);
    if (!node)
        return false;
    onItemActivated(node);
    return true;
}

void SolutionTree::onContextMenuRequested(const QPoint &pos)
{
    QTreeWidgetItem *item = m_tree->itemAt(pos);
    if (!item)
        return;
    m_tree->setCurrentItem(item);
    emit projectSelected(projectOf(item));
    emit nodeEvent(path(item), Solution::NodeContextMenu, QVariant());
}
