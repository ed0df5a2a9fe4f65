#pragma once

#include "abstractprojectmodel.h"
#include "safeprojectmodel.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

class SoftComponentModel;
class WatchListModel;

// A variable declared by the project, with where it is used.
struct Symbol
{
    QString name;
    QString dataType; // "INT", "DINT", "BOOL", "REAL", ...
    QString address;  // device address holding the value ("D200", "M10"), may be empty
    QString comment;
    QStringList references; // where the symbol is used, e.g. "MAIN: network 3"
};

// The workbench's project model: a device, symbols and the sub-models.
class ProjectModel : public AbstractProjectModel
{
    Q_OBJECT
public:
    explicit ProjectModel(const std::string &name, QObject *parent = nullptr);
    ~ProjectModel() override;

    SubModel *subModel(const std::string &name) const override;

    WatchListModel *watchListModel() const;
    SoftComponentModel *softComponentModel() const;

    QString projectName() const;
    QString deviceName() const;
    void setDeviceName(const QString &deviceName);
    QString filePath() const;
    void setFilePath(const QString &filePath);
    // How the workbench reaches the project's controller, as the file keeps
    // it; empty for the default.
    QJsonObject controllerSettings() const;
    void setControllerSettings(const QJsonObject &settings);

    QVector<Symbol> symbols() const;
    void setSymbols(const QVector<Symbol> &symbols);
    // The symbol of that name (case-sensitive), or null.
    const Symbol *symbol(const QString &name) const;

private:
    WatchListModel *m_watchLists;
    SoftComponentModel *m_softComponents;
    QString m_deviceName;
    QString m_filePath;
    QJsonObject m_controllerSettings;
    QVector<Symbol> m_symbols;
    // Rows ask for their symbols by name on every reset; a project may have a million.
    QHash<QString, int> m_symbolIndex;
};

// The workbench model of an open project, held for one operation; empty when
// no project of that name is open (or it is closing).
class OpenProject
{
public:
    explicit OpenProject(const QString &projectName);

    ProjectModel *get() const { return m_model; }
    ProjectModel *operator->() const { return m_model; }
    explicit operator bool() const { return m_model != nullptr; }

private:
    SafeProjectModel m_guard;
    ProjectModel *m_model = nullptr;
};
