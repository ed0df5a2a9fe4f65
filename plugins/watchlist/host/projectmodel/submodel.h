#pragma once

#include <QObject>

#include <memory>
#include <string>

class ModelObject;

// A named part of a project's data model ("WatchListModel", "SoftComponentModel", ...).
// The object operations are what the model commands use to undo and redo.
class SubModel : public QObject
{
    Q_OBJECT
public:
    explicit SubModel(const std::string &name, QObject *parent = nullptr);
    ~SubModel() override;

    const std::string &name() const;

    // Position of the object in the sub-model, or -1 when it is not there.
    virtual int indexOfObject(const ModelObject *object) const;
    // A shared handle on an object of this sub-model (null when it is not
    // there), which keeps the object alive after it leaves the sub-model.
    virtual std::shared_ptr<ModelObject> shareObject(const ModelObject *object) const;
    virtual bool insertObject(int index, const std::shared_ptr<ModelObject> &object);
    virtual bool takeObject(const ModelObject *object);
    virtual bool renameObject(ModelObject *object, const QString &newName);

signals:
    void changed();

private:
    std::string m_name;
};
