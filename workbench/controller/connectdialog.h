#pragma once

#include "controllersettings.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

// Controller > Connect...: how the workbench reaches the project's controller.
class ConnectDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ConnectDialog(const ControllerSettings &settings, QWidget *parent = nullptr);

    ControllerSettings settings() const;

private:
    void updateFields();

    QComboBox *m_backend;
    QLineEdit *m_host;
    QSpinBox *m_port;
    QSpinBox *m_unit;
    QSpinBox *m_interval;
    QSpinBox *m_timeout;
};
