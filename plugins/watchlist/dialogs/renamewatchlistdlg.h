#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class WatchListModel;

// Asks for a new name of a watch list; the caller renames it.
class RenameWatchListDlg : public QDialog
{
    Q_OBJECT
public:
    RenameWatchListDlg(const QString &currentName, WatchListModel *model);

    QString getName() const;

private slots:
    void onOkButtonClicked();
    void onTextChanged(const QString &name);

private:
    WatchListModel *model;
    QLineEdit *nameEdit;
    QPushButton *okButton;
    QPushButton *cancelButton;
};
