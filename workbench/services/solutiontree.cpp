#include "solutiontree.h"

#include "hostnames.h"
#include "toolwindowmanager.h"

#include <QTreeWidget>

namespace {

const int NameRole = Qt::UserRole;
const int DataRole = Qt::UserRole + 1;

} // namespace

// Each node knows its children by name: paths resolve, and additions to a
// folder of many thousand nodes are checked, without scanning the folder.
class SolutionTree::Node : public QTreeWidgetItem
{
public:
    using Index = QHash<QString, Node *>;
    static constexpr int Type = QTreeWidgetItem::UserType + 1;

    Node(const QString &name, Index *siblings)
        : QTreeWidgetItem(Type)
        , m_name(name)
        , m_siblings(siblings)
    {
        setData(0, NameRole, name);
        m_siblings->insert(name, this);
    }

    ~Node() override
    {
        // The children go first, while the index they leave is still there.
        qDeleteAll(takeChildren());
        detach();
    }

    // For a node that may outlive the index it is listed in.
    void detach()
    {
        if (m_siblings && m_siblings->value(m_name) == this)
            m_siblings->remove(m_name);
        m_siblings = nullptr;
    }

    Index children;

private:
    QString m_name;
    Index *m_siblings;
};

namespace {

using Node = SolutionTree::Node;

QString nodeName(const QTreeWidgetItem *item)
{
    return item->data(0, NameRole).toString();
}

// Names may themselves contain ".", so every "." left in the path is tried as
// the end of the next name.
Node *findBelow(const Node::Index &children, const QString &path, int from)
{
    if (children.isEmpty())
        return nullptr;
    for (int end = from;; ++end) {
        end = path.indexOf(QLatin1Char('.'), end);
        const bool last = end < 0;
        if (last)
            end = path.size();
        if (Node *child = children.value(path.mid(from, end - from))) {
            if (last)
                return child;
            if (Node *found = findBelow(child->children, path, end + 1))
                return found;
        }
        if (last)
            return nullptr;
    }
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
    setObjectName(HostNames::solutionView());
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
    if (m_tree && !m_tree->parent()) {
        delete m_tree;
    } else {
        // The window owns the tree and may delete it later, after the index of its projects.
        // Each detach removes its node from the index: walk a copy.
        const QList<Node *> projects = m_projects.values();
        for (Node *project : projects)
            project->detach();
    }
}

bool SolutionTree::addNode(const QString &parentPath, const NodeInfo &info, int insertMode)
{
    Q_UNUSED(insertMode)
    QTreeWidgetItem *parent = parentItem(parentPath);
    Node::Index *siblings = childIndex(parent);
    if (!siblings || info.name.isEmpty())
        return false;
    if (findBelow(*siblings, info.name, 0))
        return false;

    auto *node = new Node(info.name, siblings);
    node->setText(0, info.text.isEmpty() ? info.name : info.text);
    if (!info.icon.isNull())
        node->setIcon(0, info.icon);
    if (info.color.isValid())
        node->setForeground(0, info.color);
    node->setData(0, DataRole, QVariant(info.data));
    parent->addChild(node);
    // A new node is shown and collapsed already.
    if (!info.visible)
        node->setHidden(true);
    if (info.expanded != 0)
        node->setExpanded(true);
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
    return findBelow(m_projects, path, 0);
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

SolutionTree::Node::Index *SolutionTree::childIndex(QTreeWidgetItem *parent)
{
    if (!parent)
        return nullptr;
    if (parent == m_tree->invisibleRootItem())
        return &m_projects;
    return parent->type() == Node::Type ? &static_cast<Node *>(parent)->children : nullptr;
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
