#pragma once

// What the watch-list window's files share: the list an operation works on,
// the hold on paging, and the window's constants and messages.

#include "vartreewidget.h"
#include "watchlistmodel.h"
#include "watchlistmodelhandle.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"

#include <QMessageBox>
#include <QScrollBar>

// The watch list of one operation, with the guard that keeps its project alive.
class WatchListWidget::Lookup
{
public:
    explicit Lookup(WatchListModelHandle handle, const QString &watchListName)
        : model(std::move(handle))
    {
        if (model)
            list = model->getObject(watchListName);
    }

    WatchListObject *operator->() const { return list; }
    explicit operator bool() const { return list != nullptr; }

    WatchListModelHandle model;
    WatchListObject *list = nullptr;
};

// Paging stays off while rows change under a list that has changed already:
// rows going at the bottom move the scroll bar, and a page loaded meanwhile
// would come from the new list into a tree still holding the old rows.
class WatchListWidget::PagingHold
{
public:
    explicit PagingHold(WatchListWidget *widget)
        : widget(widget)
    {
        QObject::disconnect(widget->varTree->verticalScrollBar(),
                            &QScrollBar::valueChanged,
                            widget,
                            &WatchListWidget::onScrollValueChanged);
    }
    ~PagingHold()
    {
        QObject::connect(widget->varTree->verticalScrollBar(),
                         &QScrollBar::valueChanged,
                         widget,
                         &WatchListWidget::onScrollValueChanged);
    }

private:
    WatchListWidget *widget;
};

namespace WatchListWindow {

constexpr int rowHeight = 15;
constexpr int pageRows = 20;
constexpr int defaultShowMode = 10;
// A batch above this many rows is confirmed first.
constexpr qint64 largeBatch = 100000;

// A message of the window's own, without parent: the window may be closed
// while it waits. Names in it are shown as written.
inline int tell(QMessageBox::Icon icon,
                const QString &title,
                const QString &text,
                QMessageBox::StandardButtons buttons,
                QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon, title, text, buttons);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(byDefault);
    return box.exec();
}

} // namespace WatchListWindow
