#pragma once

#include <QObject>

#include <string>

// Announces that a synchronisation of a project's symbols has finished.
class SymbolSynchrinizer : public QObject
{
    Q_OBJECT
public:
    enum SyncType { SyncAll = 0, SyncAdded = 1, SyncRemoved = 2, SyncChanged = 3 };
    Q_ENUM(SyncType)

    static SymbolSynchrinizer *instance();

    // Emits syncComplied; param names the project.
    void synchronize(SyncType type, const std::string &param);

signals:
    void syncComplied(SymbolSynchrinizer::SyncType type, const std::string &param);

private:
    SymbolSynchrinizer();
    ~SymbolSynchrinizer() override;
};
