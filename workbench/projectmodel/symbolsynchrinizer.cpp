#include "symbolsynchrinizer.h"

SymbolSynchrinizer::SymbolSynchrinizer()
{
    // Listeners may connect with Qt::QueuedConnection.
    qRegisterMetaType<SymbolSynchrinizer::SyncType>("SymbolSynchrinizer::SyncType");
    qRegisterMetaType<std::string>("std::string");
}

SymbolSynchrinizer::~SymbolSynchrinizer() = default;

SymbolSynchrinizer *SymbolSynchrinizer::instance()
{
    static SymbolSynchrinizer synchronizer;
    return &synchronizer;
}

void SymbolSynchrinizer::synchronize(SyncType type, const std::string &param)
{
    emit syncComplied(type, param);
}
