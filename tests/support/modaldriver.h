#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

class QAbstractButton;
class QString;
class QWidget;

// Acts on modal dialogs and pop-up menus from inside the nested event loop
// that runs them. Queue the steps before the call that opens them; each runs
// once, on the first active modal widget (or pop-up) of its class. Record
// what you see in captured variables and assert in the test body.
class ModalDriver : public QObject
{
public:
    using Action = std::function<void(QWidget *)>;

    // Steps for onNext(): pick a menu entry, click a button (or reject when
    // there is none), type a name and press OK, note a message box's
    // "title|text" and press its first button.
    static Action choose(const QString &entry);
    static Action click(const QString &buttonText);
    static Action enterName(const QString &name);
    static Action noteMessage(QString *seen);
    static QAbstractButton *button(QWidget *parent, const QString &text);

    explicit ModalDriver(QObject *parent = nullptr);

    void onNext(const char *className, Action action);
    bool allHandled() const { return m_steps.isEmpty(); }
    // A modal widget of another class than the next step's, seen and rejected.
    QByteArray unexpected() const { return m_unexpected; }

private:
    void poll();

    struct Step
    {
        QByteArray className;
        Action action;
    };
    QList<Step> m_steps;
    QTimer m_timer;
    QElapsedTimer m_waiting;
    QByteArray m_unexpected;
};
