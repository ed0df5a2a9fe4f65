#pragma once

#include <QList>

class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

// The form both name dialogs share: the name row between two stretches,
// OK and Cancel at the bottom right.
void layoutNameDialog(QDialog *dialog,
                      const QList<QWidget *> &nameRow,
                      QLineEdit *nameEdit,
                      QPushButton *okButton,
                      QPushButton *cancelButton);

// Shows a warning box the way both name dialogs do.
void warnAboutName(const QString &title, const QString &text, const QString &buttonText);
