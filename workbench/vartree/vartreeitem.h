#pragma once

#include "accore.h"

#include <QTreeWidgetItem>

#include <memory>

// A row of the variable tree: a variable typed by the user, or one of the
// sixteen bits shown under an expanded word. Keeps where its value is read.
class VarTreeItem : public QTreeWidgetItem
{
public:
    static constexpr int ItemType = QTreeWidgetItem::UserType + 17;

    VarTreeItem();
    VarTreeItem(VarTreeItem *word, int bit);
    ~VarTreeItem() override;

    static VarTreeItem *from(QTreeWidgetItem *item);

    bool isBit() const { return m_bit >= 0; }
    // The variable as it was last resolved; a user edit changes the name
    // column before the item learns of it.
    QString variable() const;
    QString resolvedVariable() const { return m_resolvedVariable; }

    int showMode() const { return m_showMode; }
    // The radix as the Show Mode cell and its editor name it.
    static QString showModeName(int mode);
    // Changes the mode without telling anyone but the view; a user's choice
    // comes through setData() on the Show Mode column instead.
    void setShowMode(int mode);
    // An integer, top-level row: one whose show mode means something.
    bool hasShowMode() const;

    // Where the value lies in device memory; valueType is TYPE_NONE when it
    // cannot be read (not a device address, offline project, unknown type).
    void setResolution(const QString &variable,
                       const ac::HeapAddress &address,
                       uint32_t valueType,
                       bool isWord);
    const ac::HeapAddress &address() const { return m_address; }
    uint32_t valueType() const { return m_valueType; }
    // A plain 2-byte word address, shown with its sixteen bits under it.
    bool isWord() const { return m_isWord; }

    // One change of the row for both: paging sets the names of every row it loads.
    void setNames(const QString &name, const QString &fullName);
    // The columns described by the resolution.
    void setDescription(const QString &dataType,
                        const QString &address,
                        const QString &comment,
                        bool global);

    // Why the row's name stands for no value, shown greyed in its Value cell;
    // empty for a row that has a value or no name.
    QString problem() const;
    QString problemDetail() const;
    void setProblem(const QString &problem, const QString &detail);

    // When the device last confirmed a value it has not confirmed lately (ms
    // since the epoch), shown greyed with its age; 0 for a current value or none.
    qint64 staleSince() const { return m_staleSince; }
    void setStaleSince(qint64 readAt);

    // Tells the view that a cell changed, or the whole row for column -1. The
    // row's texts are kept here rather than in the base class, whose own
    // announcement covers only the columns it stores.
    void announce(int column = -1);

    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant &value) override;

private:
    void setShowModeByUser(const QVariant &value);

    // The texts the tree derives for a row live here, not in the base class's
    // variants per column: a million rows would otherwise hold a variant per
    // column each, for a handful of distinct strings.
    QString *derivedText(int column);
    const QString *derivedText(int column) const;

    struct Problem
    {
        QString text;
        QString detail;
    };

    QString m_name;
    QString m_value;
    QString m_dataType;
    QString m_addressText;
    QString m_comment;
    QString m_fullName;
    bool m_global = false;
    QString m_resolvedVariable;
    ac::HeapAddress m_address;
    uint32_t m_valueType = ac::TYPE_NONE;
    // Rarely set: a row that resolves costs one pointer for it.
    std::unique_ptr<Problem> m_problem;
    qint64 m_staleSince = 0;
    int m_showMode = 10;
    int m_bit = -1;
    bool m_isWord = false;
};
