#pragma once

#include <QMessageBox>

// A message box that shows its text as written. Texts that carry names from
// project files (projects, watch lists, symbols, devices) must not be taken
// for markup, as QMessageBox's own functions would take them.
QMessageBox::StandardButton
showPlainMessage(QWidget *parent,
                 QMessageBox::Icon icon,
                 const QString &title,
                 const QString &text,
                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
