#include "batchmonotordlg.h"

#include "accore.h"
#include "hostservices.h"

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

struct BatchMonotorDlg::Form
{
    QHBoxLayout *horizontalLayout_5 = nullptr;
    QGroupBox *groupBox = nullptr;
    QHBoxLayout *horizontalLayout_4 = nullptr;
    QGridLayout *gridLayout = nullptr;
    QLabel *label = nullptr;
    QComboBox *comboSCType = nullptr;
    QLabel *label_3 = nullptr;
    QComboBox *comboDataType = nullptr;
    QLabel *label_2 = nullptr;
    QComboBox *comboShowMode = nullptr;
    QLabel *label_4 = nullptr;
    QLineEdit *editBeginAddr = nullptr;
    QLabel *label_5 = nullptr;
    QLineEdit *editEndAddr = nullptr;
    QLabel *label_6 = nullptr;
    QWidget *widget = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QSpinBox *spinLength = nullptr;
    QCheckBox *checkLength = nullptr;
    QWidget *widget_2 = nullptr;
    QHBoxLayout *horizontalLayout_6 = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    void setupUi(QDialog *dialog);
    void retranslateUi(QDialog *dialog);
};

namespace {

template<typename T> T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

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

void BatchMonotorDlg::Form::setupUi(QDialog *dialog)
{
    dialog->setObjectName(QStringLiteral("BatchMonotorDlg"));
    dialog->resize(556, 167);
    dialog->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    horizontalLayout_5 = named(new QHBoxLayout(dialog), "horizontalLayout_5");
    horizontalLayout_5->setSpacing(6);
    groupBox = named(new QGroupBox(dialog), "groupBox");
    horizontalLayout_4 = named(new QHBoxLayout(groupBox), "horizontalLayout_4");
    gridLayout = named(new QGridLayout, "gridLayout");

    label = named(new QLabel(groupBox), "label");
    gridLayout->addWidget(label, 0, 0, 1, 1);
    comboSCType = named(new QComboBox(groupBox), "comboSCType");
    comboSCType->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    comboSCType->setMinimumSize(100, 0);
    gridLayout->addWidget(comboSCType, 0, 1, 1, 1);
    label_3 = named(new QLabel(groupBox), "label_3");
    gridLayout->addWidget(label_3, 0, 2, 1, 1);
    comboDataType = named(new QComboBox(groupBox), "comboDataType");
    comboDataType->setMinimumSize(100, 0);
    gridLayout->addWidget(comboDataType, 0, 3, 1, 1);

    label_2 = named(new QLabel(groupBox), "label_2");
    gridLayout->addWidget(label_2, 1, 0, 1, 1);
    comboShowMode = named(new QComboBox(groupBox), "comboShowMode");
    gridLayout->addWidget(comboShowMode, 1, 1, 1, 1);

    label_4 = named(new QLabel(groupBox), "label_4");
    gridLayout->addWidget(label_4, 2, 0, 1, 1);
    editBeginAddr = named(new QLineEdit(groupBox), "editBeginAddr");
    gridLayout->addWidget(editBeginAddr, 2, 1, 1, 1);
    label_5 = named(new QLabel(groupBox), "label_5");
    gridLayout->addWidget(label_5, 2, 2, 1, 1);
    editEndAddr = named(new QLineEdit(groupBox), "editEndAddr");
    gridLayout->addWidget(editEndAddr, 2, 3, 1, 1);

    label_6 = named(new QLabel(groupBox), "label_6");
    gridLayout->addWidget(label_6, 3, 0, 1, 1);
    widget = named(new QWidget(groupBox), "widget");
    horizontalLayout = named(new QHBoxLayout(widget), "horizontalLayout");
    horizontalLayout->setSpacing(3);
    horizontalLayout->setContentsMargins(0, 0, 2, 0);
    spinLength = named(new QSpinBox(widget), "spinLength");
    spinLength->setEnabled(false);
    spinLength->setRange(1, 999999999);
    horizontalLayout->addWidget(spinLength);
    checkLength = named(new QCheckBox(widget), "checkLength");
    checkLength->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    checkLength->setMinimumSize(0, 0);
    horizontalLayout->addWidget(checkLength);
    gridLayout->addWidget(widget, 3, 1, 1, 1);

    widget_2 = named(new QWidget(groupBox), "widget_2");
    horizontalLayout_6 = named(new QHBoxLayout(widget_2), "horizontalLayout_6");
    horizontalLayout_6->setContentsMargins(0, 0, 0, 0);
    btnOK = named(new QPushButton(widget_2), "btnOK");
    btnOK->setMinimumSize(80, 0);
    horizontalLayout_6->addWidget(btnOK);
    btnCancel = named(new QPushButton(widget_2), "btnCancel");
    btnCancel->setMinimumSize(80, 0);
    horizontalLayout_6->addWidget(btnCancel);
    gridLayout->addWidget(widget_2, 4, 3, 1, 1);

    horizontalLayout_4->addLayout(gridLayout);
    horizontalLayout_5->addWidget(groupBox);

    retranslateUi(dialog);
}

void BatchMonotorDlg::Form::retranslateUi(QDialog *dialog)
{
    dialog->setWindowTitle(BatchMonotorDlg::tr("\u200B\u200B"
                                               "Batch Monitor"));
    groupBox->setTitle(QString());
    label->setText(BatchMonotorDlg::tr("SoftComponent Type:"));
    label_3->setText(BatchMonotorDlg::tr("Data Type:"));
    label_2->setText(BatchMonotorDlg::tr("Show Mode:"));
    label_4->setText(BatchMonotorDlg::tr("Begin Address:"));
    editBeginAddr->setText(QStringLiteral("0"));
    label_5->setText(BatchMonotorDlg::tr("End Address:"));
    editEndAddr->setText(QStringLiteral("0"));
    label_6->setText(BatchMonotorDlg::tr("Length:"));
    checkLength->setText(QString());
    btnOK->setText(BatchMonotorDlg::tr("OK"));
    btnCancel->setText(BatchMonotorDlg::tr("Cancel"));
}

BatchMonotorDlg::BatchMonotorDlg(const QString &projectName)
    : QDialog(nullptr)
    , ui(std::make_unique<Form>())
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
