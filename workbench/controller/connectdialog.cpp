#include "connectdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>

namespace {

QSpinBox *spinBox(int low, int high, int value, const QString &suffix, QWidget *parent)
{
    auto box = new QSpinBox(parent);
    box->setRange(low, high);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

} // namespace

ConnectDialog::ConnectDialog(const ControllerSettings &settings, QWidget *parent)
    : QDialog(parent)
    , m_backend(new QComboBox(this))
    , m_host(new QLineEdit(settings.host, this))
    , m_port(spinBox(1, 65535, settings.port, QString(), this))
    , m_unit(spinBox(0, 255, settings.unitId, QString(), this))
    , m_interval(spinBox(10, 3600000, settings.pollInterval, tr(" ms"), this))
    , m_timeout(spinBox(10, 600000, settings.responseTimeout, tr(" ms"), this))
{
    setWindowTitle(tr("Connect to Controller"));
    m_backend->addItem(tr("Simulated"), ControllerSettings::Simulated);
    m_backend->addItem(tr("Modbus TCP"), ControllerSettings::ModbusTcp);
    m_backend->setCurrentIndex(m_backend->findData(settings.backend));
    // Host names and IPv4/IPv6 addresses; anything else could only fail later.
    m_host->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z0-9.:_-]+")), m_host));

    auto form = new QFormLayout(this);
    form->addRow(tr("&Controller:"), m_backend);
    form->addRow(tr("&Host:"), m_host);
    form->addRow(tr("&Port:"), m_port);
    form->addRow(tr("&Unit id:"), m_unit);
    form->addRow(tr("Poll &interval:"), m_interval);
    form->addRow(tr("Response &timeout:"), m_timeout);
    auto buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("C&onnect"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_backend,
            QOverload<int>::of(&QComboBox::currentIndexChanged),
            this,
            &ConnectDialog::updateFields);
    connect(m_host, &QLineEdit::textChanged, this, &ConnectDialog::updateFields);
    updateFields();
}

ControllerSettings ConnectDialog::settings() const
{
    ControllerSettings settings;
    settings.backend = ControllerSettings::Backend(m_backend->currentData().toInt());
    settings.host = m_host->text().trimmed();
    settings.port = m_port->value();
    settings.unitId = m_unit->value();
    settings.pollInterval = m_interval->value();
    settings.responseTimeout = m_timeout->value();
    return settings;
}

void ConnectDialog::updateFields()
{
    const bool device = m_backend->currentData().toInt() == ControllerSettings::ModbusTcp;
    for (QWidget *field : {static_cast<QWidget *>(m_host),
                           static_cast<QWidget *>(m_port),
                           static_cast<QWidget *>(m_unit),
                           static_cast<QWidget *>(m_interval),
                           static_cast<QWidget *>(m_timeout)}) {
        field->setEnabled(device);
    }
    auto buttons = findChild<QDialogButtonBox *>();
    if (buttons)
        buttons->button(QDialogButtonBox::Ok)
            ->setEnabled(!device || !m_host->text().trimmed().isEmpty());
}
