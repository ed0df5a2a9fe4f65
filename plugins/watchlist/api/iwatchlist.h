#pragma once

#include <QObject>
#include <QString>

// The watch-list service ("orvane.watchlist"): puts a variable into a watch
// list of the current project and shows it there. Other plug-ins find it in
// the application's object registry and cast it by its interface name:
//
//     auto watchList = static_cast<IWatchList *>(object->qt_metacast("IWatchList"));
class IWatchList : public QObject
{
    Q_OBJECT
public:
    explicit IWatchList(QObject *parent = nullptr)
        : QObject(parent)
    {}

    // The object name the service is registered under.
    static QString serviceName() { return QStringLiteral("orvane.watchlist"); }

    virtual void addVariable(const QString &watchListName, const QString &variableName) = 0;
};
