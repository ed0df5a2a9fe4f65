#include "namedialoglayout.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

void layoutNameDialog(QDialog *dialog,
                      const QList<QWidget *> &nameRow,
                      QLineEdit *nameEdit,
                      QPushButton *okButton,
                      QPushButton *cancelButton)
{
    dialog->resize(340, 120);

    auto nameLayout = new QHBoxLayout;
    for (QWidget *widget : nameRow) {
        // A list's name comes from the project file, where it may look like markup.
        if (auto label = qobject_cast<QLabel *>(widget))
            label->setTextFormat(Qt::PlainText);
        nameLayout->addWidget(widget);
    }
    nameLayout->addWidget(nameEdit);

    // The application style sheet selects the buttons by this property.
    okButton->setProperty("styleType", QStringLiteral("sureButton"));
    cancelButton->setProperty("styleType", QStringLiteral("cancelButton"));
    okButton->setMinimumWidth(80);
    cancelButton->setMinimumWidth(80);
    auto buttonLayout = new QHBoxLayout;
    buttonLayout->addStretch();
    buttonLayout->addWidget(okButton);
    buttonLayout->addWidget(cancelButton);

    auto outer = new QVBoxLayout(dialog);
    outer->addStretch();
    outer->addLayout(nameLayout);
    outer->addStretch();
    outer->addLayout(buttonLayout);
}

void warnAboutName(const QString &title, const QString &text, const QString &buttonText)
{
    // The text may name a list from a project file: shown as written, never as markup.
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, nullptr);
    box.setTextFormat(Qt::PlainText);
    box.addButton(buttonText, QMessageBox::AcceptRole);
    box.exec();
}
