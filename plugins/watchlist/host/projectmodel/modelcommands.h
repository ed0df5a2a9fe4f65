#pragma once

#include <QPointer>
#include <QString>
#include <QUndoCommand>

#include <memory>

class ModelObject;
class SubModel;

// Undoable steps on a sub-model. The caller makes the change itself, so the
// first redo() (the one QUndoStack::push runs) does nothing; later undo and
// redo change the sub-model and announce the step through
// ProjectModelManager::commandExecuted. A step whose object is no longer
// where it should be changes nothing and announces nothing.
class ModelCommand : public QUndoCommand
{
public:
    ModelCommand(ModelObject *object, SubModel *subModel, QUndoCommand *parent = nullptr);
    ~ModelCommand() override;

protected:
    bool firstRedo();
    QString subModelName() const;

    std::shared_ptr<ModelObject> m_object;
    QPointer<SubModel> m_subModel;
    int m_index = -1;

private:
    bool m_pushed = false;
};

// Records that the object was inserted into the sub-model.
class ModelInsertCommand : public ModelCommand
{
public:
    ModelInsertCommand(ModelObject *object, SubModel *subModel, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

protected:
    bool insertBack();
    bool takeOut();
};

// Records that the object is about to be removed from the sub-model.
class ModelRemoveCommand : public ModelInsertCommand
{
public:
    ModelRemoveCommand(ModelObject *object, SubModel *subModel, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;
};

// Records that the object is about to be renamed from oldName to newName.
class ModelRenameCommand : public ModelCommand
{
public:
    ModelRenameCommand(ModelObject *object,
                       SubModel *subModel,
                       const QString &oldName,
                       const QString &newName,
                       QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    bool rename(const QString &from, const QString &to);

    QString m_oldName;
    QString m_newName;
};

// Step types and the separator of a rename step's text.
namespace ModelStack {
inline constexpr char Insert[] = "PROJECT_MODEL_STACK_INSERT";
inline constexpr char Remove[] = "PROJECT_MODEL_STACK_REMOVE";
inline constexpr char Rename[] = "PROJECT_MODEL_STACK_RENAME";
inline constexpr char Separator[] = "[*PROJECT_MODEL_STACK*]";
} // namespace ModelStack
