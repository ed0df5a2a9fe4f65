#pragma once

#include <QString>
#include <QVector>

// The display radix of a watch list's entries, kept with the list in its
// property text so that a saved list shows its rows as they were set up.
// Held as runs of equal modes: a batch of a million rows in hexadecimal is
// one run, and rows inserted or deleted above it move it as a whole.
// Entries without a mode show in the tree's default radix (10).
class ShowModes
{
public:
    // The modes stored in a list's property text; none for text that holds none.
    static ShowModes fromPropertys(const QString &propertys);
    // The property text with these modes in it, everything else kept. False
    // when the text is not ours to extend (anything but empty or a JSON
    // object): such a list keeps its text and its modes are not stored.
    bool writeInto(QString *propertys) const;

    bool isEmpty() const { return m_runs.isEmpty(); }
    // The radix of entry index: 2, 10 or 16; 10 when none was set.
    int modeAt(int index) const;
    // count entries from first take mode (10 clears).
    void set(int first, int count, int mode);
    // Entries inserted at these positions (ascending, each as it stands after
    // the insertion) take no mode; the entries below move down.
    void insertAt(const QVector<int> &positions);
    // Entries removed at these positions (ascending, as they stood before);
    // the entries below move up.
    void removeAt(const QVector<int> &positions);

    bool operator==(const ShowModes &other) const;
    bool operator!=(const ShowModes &other) const { return !(*this == other); }

private:
    struct Run
    {
        int first;
        int count;
        int mode;
        int end() const { return first + count; }
        bool operator==(const Run &other) const
        {
            return first == other.first && count == other.count && mode == other.mode;
        }
    };
    void normalize();

    QVector<Run> m_runs; // ascending, disjoint, never mode 10, never empty
};
