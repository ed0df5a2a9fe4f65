#pragma once

#include <QObject>

// Cross-reference browser ("orvane.crossreference").
class ICrossReference : public QObject
{
    Q_OBJECT
public:
    explicit ICrossReference(QObject *parent = nullptr);
    ~ICrossReference() override;

    // Shows where the symbol of the current project is used.
    virtual void browseSymbol(const QString &symbol) = 0;
};
