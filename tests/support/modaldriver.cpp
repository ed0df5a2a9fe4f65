#include "modaldriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTextDocument>
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

QAbstractButton *ModalDriver::button(QWidget *parent, const QString &text)
{
    for (QAbstractButton *button : parent->findChildren<QAbstractButton *>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

ModalDriver::Action ModalDriver::choose(const QString &entry)
{
    return [entry](QWidget *widget) {
        auto menu = static_cast<QMenu *>(widget);
        for (QAction *action : menu->actions()) {
            if (action->text() == entry) {
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
        menu->close();
    };
}

ModalDriver::Action ModalDriver::click(const QString &buttonText)
{
    return [buttonText](QWidget *widget) {
        if (QAbstractButton *found = button(widget, buttonText))
            QTest::mouseClick(found, Qt::LeftButton);
        else
            static_cast<QDialog *>(widget)->reject();
    };
}

ModalDriver::Action ModalDriver::enterName(const QString &name)
{
    return [name](QWidget *dialog) {
        dialog->findChild<QLineEdit *>()->setText(name);
        click(QStringLiteral("OK"))(dialog);
    };
}

ModalDriver::Action ModalDriver::noteMessage(QString *seen)
{
    return [seen](QWidget *widget) {
        auto box = static_cast<QMessageBox *>(widget);
        *seen = box->windowTitle() + QLatin1Char('|') + box->text();
        // Markup in a name would be rendered, not shown: make that visible to the test.
        if (box->textFormat() == Qt::RichText ||
            (box->textFormat() == Qt::AutoText && Qt::mightBeRichText(box->text()))) {
            *seen += QStringLiteral(" (as rich text)");
        }
        QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
    };
}

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
        m_waiting.restart();
        // Acting may open the next modal widget; run it outside this timer,
        // which cannot fire again while its own handler runs.
        QTimer::singleShot(
            0, this, [target = QPointer<QWidget>(active), action = m_steps.takeFirst().action] {
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
