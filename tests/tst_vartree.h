#pragma once

// The variable tree on its own: names, values online and offline, the
// problems of names that stand for nothing, typed values and show modes. The
// cases are in two files: tst_vartree.cpp (names, values, problems) and
// tst_vartreeediting.cpp (what users type and choose in the cells).

#include "accore.h"
#include "application.h"
#include "controllertransfer.h"
#include "cookies.h"
#include "devicecatalog.h"
#include "livewatch.h"
#include "objectregistry.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "simulatedcontroller.h"
#include "softcomponentmodel.h"
#include "valueformat.h"
#include "vartreewidget.h"

#include <QApplication>
#include <QBrush>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace VarTreeTest {

inline Bytes little(quint64 value, int length)
{
    Bytes bytes(size_t(length), 0);
    for (int i = 0; i < length; ++i)
        bytes[size_t(i)] = uint8_t(value >> (8 * i));
    return bytes;
}

inline void openCore(const std::string &project)
{
    QString error;
    auto memory = DeviceCatalog::create(QStringLiteral("DEMO-FX"), &error);
    QVERIFY2(memory, qPrintable(error));
    ac::ACCore::open(std::make_unique<ac::ACCore>(project, std::move(memory)));
}

inline bool write(const std::string &project, const QString &address, const Bytes &bytes)
{
    SafeAccore core(project, false);
    ac::HeapAddress heapAddress;
    return core &&
           core->deviceMemory()->string2IecAddress(address.toStdString(), &heapAddress, true) &&
           core->deviceMemory()->write(heapAddress, bytes);
}

inline QString value(const VarTreeWidget &tree, int row)
{
    return tree.topLevelItem(row)->text(VarTreeWidget::ValueColumn);
}

inline void setRows(VarTreeWidget *tree, const QStringList &variables)
{
    tree->setRowCount(variables.size() + 1);
    for (int row = 0; row < variables.size(); ++row)
        tree->setVariable(row, variables[row], variables[row]);
}

// The items the tree announces as changed in their Show Mode column.
struct ShowModeChanges
{
    explicit ShowModeChanges(QTreeWidget *tree)
    {
        QObject::connect(
            tree, &QTreeWidget::itemChanged, &context, [this](QTreeWidgetItem *item, int column) {
                if (column == VarTreeWidget::ShowModeColumn)
                    items.append(item);
            });
    }
    QObject context;
    QList<QTreeWidgetItem *> items;
};

} // namespace VarTreeTest

using namespace VarTreeTest;

class tst_VarTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void editCommitsName_data();
    void editCommitsName();
    void values_data();
    void values();
    void valuesOnlyWhileWatchingOnline();
    void changesReachTheView();
    void rowProblems_data();
    void rowProblems();
    void problemFollowsSymbols();
    void simulationStepsWatchedSymbols();
    void floatingRoundTrip_data();
    void floatingRoundTrip();
    void floatingRefused_data();
    void floatingRefused();
    void typingOnACell_data();
    void typingOnACell();
    void showModeCell_data();
    void showModeCell();
    void showModeSetByCodeIsNotAnnounced();

private:
    std::unique_ptr<Application> m_application;
    Cookies *m_cookies = nullptr;
    ControllerTransfer *m_transfer = nullptr;
    std::unique_ptr<VarTreeWidget> m_tree;
};
