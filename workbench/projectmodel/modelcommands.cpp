#include "modelcommands.h"

#include "modelobject.h"
#include "projectmodelmanager.h"
#include "submodel.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString objectName(const ModelObject *object)
{
    return object ? object->getName() : QString();
}

void announce(const char *type, const QString &subModel, const QString &path, const QString &param)
{
    ProjectModelManager::instance()->announceCommand(QLatin1String(type), subModel, path, param);
}

} // namespace

ModelCommand::ModelCommand(ModelObject *object, SubModel *subModel, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_object(subModel ? subModel->shareObject(object) : nullptr)
    , m_subModel(subModel)
    , m_index(subModel ? subModel->indexOfObject(object) : -1)
{}

ModelCommand::~ModelCommand() = default;

bool ModelCommand::firstRedo()
{
    if (m_pushed)
        return false;
    m_pushed = true;
    return true;
}

QString ModelCommand::subModelName() const
{
    return m_subModel ? QString::fromStdString(m_subModel->name()) : QString();
}

ModelInsertCommand::ModelInsertCommand(ModelObject *object,
                                       SubModel *subModel,
                                       QUndoCommand *parent)
    : ModelCommand(object, subModel, parent)
{
    setText(
        QCoreApplication::translate("ModelCommand", "Add watch list %1").arg(objectName(object)));
}

void ModelInsertCommand::undo()
{
    takeOut();
}

void ModelInsertCommand::redo()
{
    if (!firstRedo())
        insertBack();
}

bool ModelInsertCommand::insertBack()
{
    if (!m_subModel || !m_object || m_subModel->indexOfObject(m_object.get()) >= 0)
        return false;
    if (!m_subModel->insertObject(m_index, m_object))
        return false;
    m_index = m_subModel->indexOfObject(m_object.get());
    announce(ModelStack::Insert, subModelName(), QString::number(m_index), QString());
    return true;
}

bool ModelInsertCommand::takeOut()
{
    if (!m_subModel || !m_object)
        return false;
    const int index = m_subModel->indexOfObject(m_object.get());
    if (index < 0 || !m_subModel->takeObject(m_object.get()))
        return false;
    m_index = index;
    const QJsonObject param{{QStringLiteral("NAME"), m_object->getName()}};
    announce(ModelStack::Remove,
             subModelName(),
             QString(),
             QString::fromUtf8(QJsonDocument(param).toJson(QJsonDocument::Compact)));
    return true;
}

ModelRemoveCommand::ModelRemoveCommand(ModelObject *object,
                                       SubModel *subModel,
                                       QUndoCommand *parent)
    : ModelInsertCommand(object, subModel, parent)
{
    setText(QCoreApplication::translate("ModelCommand", "Remove watch list %1")
                .arg(objectName(object)));
}

void ModelRemoveCommand::undo()
{
    insertBack();
}

void ModelRemoveCommand::redo()
{
    if (!firstRedo())
        takeOut();
}

ModelRenameCommand::ModelRenameCommand(ModelObject *object,
                                       SubModel *subModel,
                                       const QString &oldName,
                                       const QString &newName,
                                       QUndoCommand *parent)
    : ModelCommand(object, subModel, parent)
    , m_oldName(oldName)
    , m_newName(newName)
{
    setText(QCoreApplication::translate("ModelCommand", "Rename watch list %1 to %2")
                .arg(oldName, newName));
}

void ModelRenameCommand::undo()
{
    rename(m_newName, m_oldName);
}

void ModelRenameCommand::redo()
{
    if (!firstRedo())
        rename(m_oldName, m_newName);
}

bool ModelRenameCommand::rename(const QString &from, const QString &to)
{
    if (from == to || !m_subModel || !m_object || m_subModel->indexOfObject(m_object.get()) < 0 ||
        m_object->getName() != from || !m_subModel->renameObject(m_object.get(), to)) {
        return false;
    }
    announce(ModelStack::Rename,
             subModelName(),
             QString(),
             from + QLatin1String(ModelStack::Separator) + to);
    return true;
}
