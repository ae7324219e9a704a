#include "forms/forms.h"

#include "forms/embedded.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>

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
bool g_ending = false;
QList<QPointer<Form>> g_forms;            // loaded forms, in the order they were loaded
QList<QPointer<QMessageBox>> g_openBoxes; // message boxes waiting for an answer
} // namespace

QIcon applicationIcon()
{
    initResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

// ---- Message boxes

void setMessageAnswerer(MessageAnswerer answerer)
{
    g_answerer = std::move(answerer);
}

namespace
{

// A box of its own window runs its own loop; one drawn inside the owner's window runs as an
// embedded modal frame.
void execBox(QMessageBox &box, QWidget *embeddedOwner)
{
    if (!embeddedOwner) {
        box.exec();
        return;
    }
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    runEmbeddedModal(&box, embeddedOwner, loop);
}

} // namespace

Answer msgBox(QWidget *owner, const Message &message)
{
    if (g_ending) {
        return message.buttons == Buttons::Ok ? Answer::Ok : message.defaultButton;
    }
    if (g_answerer) {
        return g_answerer(message);
    }
    QMessageBox box(owner);
    const bool embedded = owner && embeddedForms();
    if (embedded) {
        embedInFrame(&box, owner->window());
    }
    g_openBoxes.append(&box);
    const auto forget = qScopeGuard([&box] { g_openBoxes.removeAll(&box); });
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
        execBox(box, embedded ? owner : nullptr);
        return Answer::Ok;
    }
    box.addButton(QMessageBox::Yes);
    QAbstractButton *no = box.addButton(QMessageBox::No);
    box.setDefaultButton(message.defaultButton == Answer::Yes ? QMessageBox::Yes
                                                              : QMessageBox::No);
    box.setEscapeButton(no);
    execBox(box, embedded ? owner : nullptr);
    return box.clickedButton() == box.button(QMessageBox::Yes) ? Answer::Yes : Answer::No;
}

bool confirm(QWidget *owner, const QString &text, const QString &title, Icon icon)
{
    return msgBox(owner, {text, title, Buttons::YesNo, icon, Answer::No}) == Answer::Yes;
}

// ---- Forms

Form::Form(QWidget *owner, Qt::WindowFlags flags) : QWidget(owner, flags), m_owner(owner)
{
    initResources();
    if (owner && embeddedForms() && flags.testFlag(Qt::Window)) {
        embedInFrame(this, owner->window());
    }
}

Form::~Form()
{
    if (isLoaded()) {
        --g_loadedForms;
    }
    g_forms.removeAll(this);
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
    g_forms.append(this);
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
    g_forms.removeAll(this);
    hide();
    emit unloaded();
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

void endAllForms()
{
    g_ending = true;
    while (QWidget *popup = QApplication::activePopupWidget()) {
        popup->close();
    }
    // Each box's own loop returns once control goes back to it; its caller then finds the
    // program ending.
    for (const QPointer<QMessageBox> &box : std::as_const(g_openBoxes)) {
        if (box) {
            box->done(QMessageBox::Cancel);
        }
    }
    while (!g_forms.isEmpty()) {
        const QPointer<Form> last = g_forms.takeLast();
        if (last) {
            last->unload();
        }
    }
}

void setEnding(bool ending)
{
    g_ending = ending;
}

bool isEnding()
{
    return g_ending;
}

void setModalObserver(ModalObserver observer)
{
    g_modalObserver = std::move(observer);
}

void showModal(Form *form)
{
    QPointer<Form> guard(form);
    if (g_ending) {
        // Nothing opens while the program ends.
    } else if (g_modalObserver) {
        g_modalObserver(form);
    } else if (form->isLoaded() && embeddedForms() && form->parentWidget()) {
        QEventLoop loop;
        QObject::connect(form, &Form::unloaded, &loop, &QEventLoop::quit);
        runEmbeddedModal(form, form->owner(), loop);
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
    if (embeddedForms() && form->parentWidget()) {
        showEmbedded(form, form->owner());
        return;
    }
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
