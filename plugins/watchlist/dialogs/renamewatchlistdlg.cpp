#include "renamewatchlistdlg.h"

#include "namedialoglayout.h"
#include "watchlistmodel.h"
#include "watchlistnamerule.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

RenameWatchListDlg::RenameWatchListDlg(const QString &currentName, WatchListModel *model)
    : model(model)
    , nameEdit(new QLineEdit(this))
    , okButton(new QPushButton(tr("OK"), this))
    , cancelButton(new QPushButton(tr("Cancel"), this))
{
    setWindowTitle(tr("Rename Watch List"));
    layoutNameDialog(this,
                     {new QLabel(tr("Rename WatchList"), this),
                      new QLabel(currentName, this),
                      new QLabel(tr("To:"), this)},
                     nameEdit,
                     okButton,
                     cancelButton);

    connect(okButton, &QPushButton::clicked, this, &RenameWatchListDlg::onOkButtonClicked);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(nameEdit, &QLineEdit::textChanged, this, &RenameWatchListDlg::onTextChanged);
}

QString RenameWatchListDlg::getName() const
{
    return nameEdit->text();
}

void RenameWatchListDlg::onTextChanged(const QString &name)
{
    okButton->setEnabled(isValidWatchListName(name));
}

void RenameWatchListDlg::onOkButtonClicked()
{
    if (!model)
        return;
    const QString name = nameEdit->text();
    if (name.isEmpty())
        return;
    if (model->getWatchListNames().contains(name, Qt::CaseSensitive)) {
        warnAboutName(tr("Tip"), tr("New name has been used!"), tr("OK"));
        return;
    }
    accept();
}
