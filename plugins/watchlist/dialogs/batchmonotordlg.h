#pragma once

#include <QDialog>
#include <QMap>
#include <QString>

#include <memory>

class QValidator;

namespace Ui {
class BatchMonotorDlg;
} // namespace Ui

// A range of device addresses to watch, as the batch monitor accepted it.
struct BatchMonitorParam
{
    QString scType;
    quint32 beginAddress = 0;
    quint32 length = 0;
    int dataType = 0;
    int scDataType = 0;
    int showMode = 10;
};

// Asks for a range of one soft-component area of the project's device, the
// data type to read it as and the radix to show it in; OK checks the range
// against the area.
class BatchMonotorDlg : public QDialog
{
    Q_OBJECT
public:
    // The areas come from that project's device; without a name, from the
    // current project's ("Project.Name").
    explicit BatchMonotorDlg(const QString &projectName = QString());
    ~BatchMonotorDlg() override;

    // The area's address radix: 2, 8, 10 or 16; 10 without a core.
    quint32 radixOf(const QString &type) const;
    // Addresses of the area, one per bit of a bit area. A bit area may hold
    // 2^32 bits, hence 64 bits.
    quint64 addressCountOf(const QString &type) const;
    // The data-type code of the area's address 0, a bit as BOOL; 0 without a core.
    int dataTypeOf(const QString &type) const;
    static quint32 elementBytes(quint32 elementSize);

    BatchMonitorParam param;

private slots:
    void onSCTypeChanged(const QString &type);
    void onLengthDefined(bool checked);
    void onOk();

private:
    QString currentProject() const;
    void setStyleType(QWidget *widget, const QString &value);
    void initComboBoxes();
    void initValidators();
    void tell(const QString &message);

    std::unique_ptr<Ui::BatchMonotorDlg> ui;
    QString projectName;
    QMap<QString, int> m_scTypeUnits;
    QValidator *binaryValidator = nullptr;
    QValidator *octalValidator = nullptr;
    QValidator *decimalValidator = nullptr;
    QValidator *hexValidator = nullptr;
};
