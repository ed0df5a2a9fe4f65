#include "modaldriver.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QWidget>

namespace {
constexpr int giveUpAfterMs = 10000;
}

ModalDriver::ModalDriver(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
}

ModalDriver::~ModalDriver() = default;

void ModalDriver::onNext(const char *className, Action action)
{
    m_steps.append({className, std::move(action)});
    m_waiting.start();
    m_timer.start();
}

void ModalDriver::poll()
{
    QWidget *active = QApplication::activePopupWidget();
    if (!active)
        active = QApplication::activeModalWidget();
    if (m_steps.isEmpty()) {
        m_timer.stop();
        return;
    }
    if (active && active->isVisible() && active->inherits(m_steps.first().className.constData())) {
        const Step step = m_steps.takeFirst();
        m_waiting.restart();
        // Acting may open the next modal widget; run it outside this timer,
        // which cannot fire again while its own handler runs.
        QPointer<QWidget> target = active;
        QTimer::singleShot(0, this, [target, action = step.action] {
            if (target)
                action(target);
        });
        return;
    }
    // Never leave a test hanging in a dialog nobody expected.
    if (m_waiting.elapsed() > giveUpAfterMs && active) {
        m_unexpected = active->metaObject()->className();
        if (auto menu = qobject_cast<QMenu *>(active))
            menu->close();
        else if (auto dialog = qobject_cast<QDialog *>(active))
            dialog->reject();
        else
            active->close();
        m_steps.clear();
    }
}
