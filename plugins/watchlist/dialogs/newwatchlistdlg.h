#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class WatchListModel;

// Asks for the name of a new watch list and adds it to the model on OK.
class NewWatchListDlg : public QDialog
{
    Q_OBJECT
public:
    explicit NewWatchListDlg(WatchListModel *model);

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
