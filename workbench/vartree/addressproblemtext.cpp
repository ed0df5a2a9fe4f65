#include "vartreewidget_p.h"

#include "addressproblem.h"

// The texts that say why a name is no address of the device.

namespace {

QString radixName(uint32_t radix)
{
    switch (radix) {
    case 2:
        return VarTreeWidget::tr("binary");
    case 8:
        return VarTreeWidget::tr("octal");
    case 16:
        return VarTreeWidget::tr("hexadecimal");
    default:
        return VarTreeWidget::tr("decimal");
    }
}

// The area's addresses written as users write them, "D0–D7999".
QString addressRange(const ac::AddressProblem &problem)
{
    const QString area = QString::fromStdString(problem.area);
    if (problem.addressCount == 0)
        return VarTreeWidget::tr("no addresses");
    return area + QLatin1Char('0') + QChar(0x2013) + area +
           QString::number(problem.addressCount - 1, int(problem.radix)).toUpper();
}

} // namespace

void VarTreeDetail::describeProblem(const QString &variable,
                                    const ac::DeviceMemory &memory,
                                    QString *text,
                                    QString *detail)
{
    using Problem = ac::AddressProblem;
    const Problem problem = ac::addressProblem(memory, variable.toStdString());
    const QString area = QString::fromStdString(problem.area);
    const QString suffix = QString::fromStdString(problem.suffix);
    switch (problem.kind) {
    case Problem::None:
        text->clear();
        detail->clear();
        return;
    case Problem::UnknownName:
        *text = VarTreeWidget::tr("unknown variable");
        *detail = VarTreeWidget::tr("\"%1\" is neither a symbol of the project nor an address "
                                    "of its device %2.")
                      .arg(variable, QString::fromStdString(memory.deviceName()));
        return;
    case Problem::ForeignDigit:
        *text = VarTreeWidget::tr("%1 addresses are %2").arg(area, radixName(problem.radix));
        *detail = VarTreeWidget::tr("\"%1\" is no address of %2, whose addresses are %3 "
                                    "numbers: %4.")
                      .arg(variable, area, radixName(problem.radix), addressRange(problem));
        return;
    case Problem::PastEnd:
        *text = VarTreeWidget::tr("past the end of %1 (%2)").arg(area, addressRange(problem));
        *detail = VarTreeWidget::tr("\"%1\" reaches past the last address of %2; its addresses "
                                    "are %3.")
                      .arg(variable, area, addressRange(problem));
        return;
    case Problem::SuffixOnBit:
        *text = VarTreeWidget::tr("nothing may follow a bit address");
        *detail = VarTreeWidget::tr("%1 holds single bits: \"%2\" cannot take the suffix \".%3\".")
                      .arg(area, variable, suffix);
        return;
    case Problem::NoSuchBit:
        if (problem.elementSize == 2) {
            *text = VarTreeWidget::tr("no bit %1 in a word").arg(suffix);
            *detail =
                VarTreeWidget::tr("A word of %1 has the bits 0 to 15: \"%2\" asks for bit %3.")
                    .arg(area, variable, suffix);
        } else {
            *text = VarTreeWidget::tr("no bits in %1").arg(area);
            *detail = VarTreeWidget::tr("Only words of 2 bytes have bits to name; %1 holds "
                                        "elements of %2 bytes.")
                          .arg(area)
                          .arg(problem.elementSize);
        }
        return;
    case Problem::UnknownSuffix:
        *text = VarTreeWidget::tr("unknown suffix \".%1\"").arg(suffix);
        *detail = VarTreeWidget::tr("After an address of %1 may follow a bit from 0 to 15 or one "
                                    "of the types .S, .U, .D, .UD, .L, .UL, .F, .DF, .T, .WT.")
                      .arg(area);
        return;
    }
}
