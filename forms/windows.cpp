#include "forms/forms.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

// The logo lives in the forms library; a static library must register its resources.
static void initResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(wordmoor);
        return true;
    }();
    Q_UNUSED(done);
}

namespace Forms
{

namespace
{
MessageAnswerer g_answerer;
ModalObserver g_modalObserver;
PopupChooser g_popupChooser;
int g_loadedForms = 0;
} // namespace

// ---- Message boxes

void setMessageAnswerer(MessageAnswerer answerer)
{
    g_answerer = std::move(answerer);
}

Answer msgBox(QWidget *owner, const Message &message)
{
    if (g_answerer) {
        return g_answerer(message);
    }
    QMessageBox box(owner);
    box.setWindowTitle(message.title);
    box.setText(message.text);
    switch (message.icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (message.buttons == Buttons::Ok) {
        QAbstractButton *ok = box.addButton(QMessageBox::Ok);
        box.setDefaultButton(qobject_cast<QPushButton *>(ok));
        box.setEscapeButton(ok);
        box.exec();
        return Answer::Ok;
    }
    box.addButton(QMessageBox::Yes);
    QAbstractButton *no = box.addButton(QMessageBox::No);
    box.setDefaultButton(message.defaultButton == Answer::Yes ? QMessageBox::Yes
                                                              : QMessageBox::No);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes) ? Answer::Yes : Answer::No;
}

bool confirm(QWidget *owner, const QString &text, const QString &title, Icon icon)
{
    return msgBox(owner, {text, title, Buttons::YesNo, icon, Answer::No}) == Answer::Yes;
}

// ---- Forms

Form::Form(QWidget *owner, Qt::WindowFlags flags) : QWidget(owner, flags)
{
    initResources();
}

Form::~Form()
{
    if (isLoaded()) {
        --g_loadedForms;
    }
    // Windows owned by this one go with it; Qt closes them on the way, which must not
    // run their close handling (an Exit question from a window being discarded).
    for (Form *owned : findChildren<Form *>()) {
        owned->m_discarded = true;
    }
}

void Form::load()
{
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    ++g_loadedForms;
    onLoad();
}

void Form::unload()
{
    if (!isLoaded()) {
        return;
    }
    onUnload();
    m_unloaded = true;
    --g_loadedForms;
    hide();
    emit unloaded();
    if (g_loadedForms == 0 && QCoreApplication::instance() &&
        QCoreApplication::instance()->property("wordmoorQuitWithLastForm").toBool()) {
        QCoreApplication::quit();
    }
}

int Form::loadedCount()
{
    return g_loadedForms;
}

void Form::closeEvent(QCloseEvent *event)
{
    if (!isLoaded() || m_discarded) {
        event->accept();
        return;
    }
    event->ignore();
    closeFromFrame();
}

void setModalObserver(ModalObserver observer)
{
    g_modalObserver = std::move(observer);
}

void showModal(Form *form)
{
    QPointer<Form> guard(form);
    if (g_modalObserver) {
        g_modalObserver(form);
    } else if (form->isLoaded()) {
        form->setWindowModality(Qt::ApplicationModal);
        if (QWidget *owner = form->parentWidget()) {
            // Open over the middle of the owning window.
            QRect frame = form->frameGeometry();
            frame.moveCenter(owner->window()->frameGeometry().center());
            form->move(frame.topLeft());
        }
        QEventLoop loop;
        QObject::connect(form, &Form::unloaded, &loop, &QEventLoop::quit);
        form->show();
        form->raise();
        form->activateWindow();
        loop.exec();
    }
    if (guard && guard->isLoaded()) {
        guard->unload();
    }
    if (guard) {
        // Every opening builds a fresh window, so the closed one is discarded.
        guard->deleteLater();
    }
}

void showModeless(Form *form)
{
    form->show();
    form->raise();
    form->activateWindow();
}

void popupMenu(QMenu *menu, QWidget *window, const QPoint &topLeft)
{
    if (g_popupChooser) {
        QAction *chosen = g_popupChooser(menu);
        if (chosen && chosen->isEnabled()) {
            chosen->trigger();
        }
        return;
    }
    menu->exec(window->mapToGlobal(topLeft));
}

void setPopupChooser(PopupChooser chooser)
{
    g_popupChooser = std::move(chooser);
}

} // namespace Forms
