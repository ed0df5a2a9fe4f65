#include "newwatchlistdlg.h"

#include "namedialoglayout.h"
#include "watchlistmodel.h"
#include "watchlistnamerule.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int maximumNameLength = 32;
}

NewWatchListDlg::NewWatchListDlg(WatchListModel *model)
    : model(model)
    , nameEdit(new QLineEdit(this))
    , okButton(new QPushButton(tr("OK"), this))
    , cancelButton(new QPushButton(tr("Cancel"), this))
{
    setWindowTitle(tr("New Watch List"));
    layoutNameDialog(this, {new QLabel(tr("Watch List:"), this)}, nameEdit, okButton, cancelButton);

    connect(okButton, &QPushButton::clicked, this, &NewWatchListDlg::onOkButtonClicked);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(nameEdit, &QLineEdit::textChanged, this, &NewWatchListDlg::onTextChanged);
}

QString NewWatchListDlg::getName() const
{
    return nameEdit->text();
}

void NewWatchListDlg::onTextChanged(const QString &name)
{
    okButton->setEnabled(isValidWatchListName(name));
}

void NewWatchListDlg::onOkButtonClicked()
{
    if (!model)
        return;
    const QString name = nameEdit->text();
    if (name.isEmpty())
        return;
    if (name.size() > maximumNameLength) {
        warnAboutName(tr("Tip"), tr("Watch List Name Out Of Limit!"), tr("OK"));
        return;
    }
    if (model->appendWatchList(name))
        accept();
    else
        warnAboutName(tr("Tip"), model->getLastError(), tr("OK"));
}
