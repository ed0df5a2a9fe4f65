#include "batchmonotordlg.h"

#include "accore.h"
#include "hostservices.h"
#include "ui_batchmonotordlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegExpValidator>
#include <QSpinBox>
#include <QStyle>

#include <algorithm>
#include <limits>

namespace {

// An empty field reads as address 0; a text that is no number in the radix
// (too long for any counter, say) lies past every area.
quint64 readAddress(const QString &text, quint32 radix)
{
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const quint64 value = text.toULongLong(&ok, int(radix));
    return ok ? value : std::numeric_limits<quint64>::max();
}

struct DataTypeItem
{
    const char *text;
    int code;
};

const DataTypeItem dataTypeItems[] = {
    {"INT", ac::TYPE_INT},
    {"DINT", ac::TYPE_DINT},
    {"LINT", ac::TYPE_LINT},
    {"UINT", ac::TYPE_UINT},
    {"UDINT", ac::TYPE_UDINT},
    {"ULINT", ac::TYPE_ULINT},
    {"BOOL", ac::TYPE_BOOL},
    {"REAL", ac::TYPE_REAL},
    {"LREAL", ac::TYPE_LREAL},
    {"STRING", ac::TYPE_STRING},
    {"WSTRING", ac::TYPE_WSTRING},
};

constexpr Qt::MatchFlags exactly = Qt::MatchExactly | Qt::MatchCaseSensitive;

} // namespace

BatchMonotorDlg::BatchMonotorDlg(const QString &projectName)
    : QDialog(nullptr)
    , ui(std::make_unique<Ui::BatchMonotorDlg>())
    , projectName(projectName)
{
    ui->setupUi(this);
    setStyleType(ui->btnOK, QStringLiteral("sureButton"));
    setStyleType(ui->btnCancel, QStringLiteral("cancelButton"));
    initComboBoxes();
    initValidators();

    connect(ui->comboSCType,
            SIGNAL(currentIndexChanged(const QString &)),
            this,
            SLOT(onSCTypeChanged(const QString &)));
    connect(ui->checkLength, &QCheckBox::clicked, this, &BatchMonotorDlg::onLengthDefined);
    connect(ui->btnOK, &QPushButton::clicked, this, &BatchMonotorDlg::onOk);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    onSCTypeChanged(ui->comboSCType->currentText());
}

BatchMonotorDlg::~BatchMonotorDlg() = default;

QString BatchMonotorDlg::currentProject() const
{
    if (!projectName.isEmpty())
        return projectName;
    return HostServices::currentProjectName(HostServices::application());
}

void BatchMonotorDlg::setStyleType(QWidget *widget, const QString &value)
{
    if (!widget)
        return;
    // The application style sheet selects on this property.
    widget->setProperty("styleType", value);
    QStyle *style = QApplication::style();
    style->unpolish(widget);
    style->polish(widget);
    for (QWidget *child : widget->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        style->unpolish(child);
        style->polish(child);
    }
}

void BatchMonotorDlg::initComboBoxes()
{
    const SafeAccore core(currentProject().toStdString(), false);
    if (!core)
        return;
    for (const ac::JapanMemLayout &area : core->deviceMemory()->japanMemLayout()) {
        const QString name = QString::fromStdString(area.name);
        ui->comboSCType->addItem(name);
        m_scTypeUnits.insert(name, int(area.elementSize));
    }
    for (const DataTypeItem &item : dataTypeItems)
        ui->comboDataType->addItem(QLatin1String(item.text), item.code);
    ui->comboShowMode->addItem(tr("Binary"), 2);
    ui->comboShowMode->addItem(tr("Decimal"), 10);
    ui->comboShowMode->addItem(tr("Hexadecimal"), 16);
}

void BatchMonotorDlg::initValidators()
{
    const auto pattern = [](const char *text) {
        return QRegExp(QLatin1String(text), Qt::CaseSensitive, QRegExp::RegExp);
    };
    binaryValidator = new QRegExpValidator(pattern("^[0-1]+$"), this);
    octalValidator = new QRegExpValidator(pattern("^[0-7]+$"), this);
    decimalValidator = new QIntValidator(0, 2147483647, this);
    hexValidator = new QRegExpValidator(pattern("^([0-9]|[A-F])+$"), this);
}

void BatchMonotorDlg::onSCTypeChanged(const QString &type)
{
    const auto unit = m_scTypeUnits.constFind(type);
    if (unit == m_scTypeUnits.cend())
        return;

    if (unit.value() == 0) {
        ui->comboDataType->setCurrentIndex(
            ui->comboDataType->findData(ac::TYPE_BOOL, Qt::UserRole, exactly));
        ui->comboShowMode->setCurrentIndex(ui->comboShowMode->findData(2, Qt::UserRole, exactly));
        ui->comboDataType->setEnabled(false);
        ui->comboShowMode->setEnabled(false);
    } else {
        ui->comboDataType->setCurrentIndex(
            ui->comboDataType->findData(dataTypeOf(type), Qt::UserRole, exactly));
        ui->comboShowMode->setCurrentIndex(ui->comboShowMode->findData(10, Qt::UserRole, exactly));
        ui->comboDataType->setEnabled(true);
        ui->comboShowMode->setEnabled(true);
    }
    ui->editBeginAddr->clear();
    ui->editEndAddr->clear();

    QValidator *validator = nullptr;
    switch (radixOf(type)) {
    case 2:
        validator = binaryValidator;
        break;
    case 8:
        validator = octalValidator;
        break;
    case 10:
        validator = decimalValidator;
        break;
    case 16:
        validator = hexValidator;
        break;
    default:
        return;
    }
    ui->editBeginAddr->setValidator(validator);
    ui->editEndAddr->setValidator(validator);
}

void BatchMonotorDlg::onLengthDefined(bool checked)
{
    ui->spinLength->setEnabled(checked);
    ui->editEndAddr->setEnabled(!checked);
}

void BatchMonotorDlg::onOk()
{
    param.scType = ui->comboSCType->currentText();
    const quint32 radix = radixOf(param.scType);
    // The record holds 32-bit addresses: past 2^32 - 1 an address would be cut
    // to another one, so an area's addresses end there however large it is.
    const quint64 count = std::min(addressCountOf(param.scType), quint64(1) << 32);

    const quint64 begin = readAddress(ui->editBeginAddr->text(), radix);
    if (begin >= count) {
        tell(tr("Begin address out of limt!"));
        return;
    }
    param.beginAddress = quint32(begin);

    quint64 length = quint64(ui->spinLength->value());
    if (!ui->checkLength->isChecked()) {
        const quint64 end = readAddress(ui->editEndAddr->text(), radix);
        if (end >= count) {
            tell(tr("End address out of limt!"));
            return;
        }
        if (end < begin) {
            tell(tr("End address can not less than begin address!"));
            return;
        }
        length = end - begin + 1;
    } else if (begin + length > count) {
        tell(tr("End address out of limt!"));
        return;
    }
    // A whole 2^32-bit area does not fit the record's count.
    if (length > std::numeric_limits<quint32>::max()) {
        tell(tr("End address out of limt!"));
        return;
    }
    param.length = quint32(length);

    param.scDataType = dataTypeOf(param.scType);
    param.dataType = ui->comboDataType->currentData(Qt::UserRole).toInt();
    param.showMode = ui->comboShowMode->currentData(Qt::UserRole).toInt();
    accept();
}

void BatchMonotorDlg::tell(const QString &message)
{
    QMessageBox::information(this, tr("Tip"), message, QMessageBox::Ok, QMessageBox::NoButton);
}

quint32 BatchMonotorDlg::radixOf(const QString &type) const
{
    const SafeAccore core(currentProject().toStdString(), false);
    if (!core)
        return 10;
    return core->deviceMemory()->japanMemLayout(type.toStdString()).radix;
}

quint64 BatchMonotorDlg::addressCountOf(const QString &type) const
{
    const SafeAccore core(currentProject().toStdString(), false);
    if (!core)
        return 0;
    const ac::JapanMemLayout area = core->deviceMemory()->japanMemLayout(type.toStdString());
    if (area.elementSize == 0)
        return quint64(area.byteSize) * 8;
    return area.byteSize / elementBytes(area.elementSize);
}

int BatchMonotorDlg::dataTypeOf(const QString &type) const
{
    const SafeAccore core(currentProject().toStdString(), false);
    if (!core)
        return 0;
    const ac::DeviceMemory *memory = core->deviceMemory();
    ac::HeapAddress address;
    memory->string2IecAddress(type.toStdString() + '0', &address, false);
    const int code = memory->iecAddressType(address);
    return code == ac::TYPE_BIT ? int(ac::TYPE_BOOL) : code;
}

quint32 BatchMonotorDlg::elementBytes(quint32 elementSize)
{
    switch (elementSize) {
    case 2:
    case 4:
    case 8:
        return elementSize;
    default:
        return 1;
    }
}
