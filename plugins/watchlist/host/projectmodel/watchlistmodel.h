#pragma once

#include "submodel.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class WatchListObject;

// The watch lists of one project, in order. Names are unique and not empty.
class WatchListModel : public SubModel
{
    Q_OBJECT
public:
    explicit WatchListModel(QObject *parent = nullptr);
    ~WatchListModel() override;

    bool appendWatchList(const QString &name);
    // Appends the lists in this order, checking their names as appendWatchList
    // does but in one pass over the model, for projects of many thousand lists.
    // Returns -1 when all were added; otherwise adds none and returns the
    // position of the first list refused, getLastError() saying why.
    int appendWatchLists(const std::vector<std::shared_ptr<WatchListObject>> &lists);
    bool removeWatchList(const QString &name);
    bool renameWatchList(const QString &oldName, const QString &newName);
    WatchListObject *getObject(const QString &name) const;
    WatchListObject *getObject(unsigned index) const;
    QStringList getWatchListNames() const;
    int count() const;
    // Text of the last refusal, for the user.
    QString getLastError() const;

    int indexOfObject(const ModelObject *object) const override;
    std::shared_ptr<ModelObject> shareObject(const ModelObject *object) const override;
    bool insertObject(int index, const std::shared_ptr<ModelObject> &object) override;
    bool takeObject(const ModelObject *object) override;
    bool renameObject(ModelObject *object, const QString &newName) override;

private:
    bool refuse(const QString &error);
    int indexOf(const QString &name) const;

    std::vector<std::shared_ptr<WatchListObject>> m_lists;
    QString m_lastError;
};
