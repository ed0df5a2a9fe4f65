#pragma once

#include <QObject>

class QUndoCommand;

namespace Solution {

// Services of the solution around the current project ("Solution.ViewHelper").
class ViewHelper : public QObject
{
    Q_OBJECT
public:
    explicit ViewHelper(QObject *parent = nullptr)
        : QObject(parent)
    {}
    ~ViewHelper() override = default;

    // Pushes a model command onto the current project's undo stack, which owns
    // it from then on (also when there is no current project: it is deleted).
    virtual void pushCommand(QUndoCommand *command) = 0;
    // Shows the definition of the symbol in the project; false when unknown.
    virtual bool gotoSymbol(const QString &symbol, const QString &projectName) = 0;

signals:
    // A model command was undone or redone.
    void commandExecuted(const QString &type,
                         const QString &subModel,
                         const QString &path,
                         const QString &param);
};

} // namespace Solution
