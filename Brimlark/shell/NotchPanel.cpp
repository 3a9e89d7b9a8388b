#include "Brimlark/shell/NotchPanel.h"

#include "Brimlark/core/Logging.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QWindow>

NotchPanel::NotchPanel(const QRect& frame)
    : QWidget(nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11NetWmWindowTypeDock);
    // The panel is seldom the active window (a hover opening leaves the keyboard where it is), and
    // Qt shows tooltips only in the active one: its buttons' tooltips, and the whole text of a
    // line cut short, show all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setWindowTitle(QStringLiteral("Brimlark"));
    setGeometry(frame);
    // The window sees every press in the panel before the child views do.
    winId();
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
    setTakesKeyboard(false);
}

void NotchPanel::setTakesKeyboard(bool takes) {
    // On the window, not through setWindowFlags(), which would hide and show the panel again. The
    // widget's own copy follows, so that nothing rebuilds the window with the old flags.
    overrideWindowFlags(windowFlags().setFlag(Qt::WindowDoesNotAcceptFocus, !takes));
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowDoesNotAcceptFocus, !takes);
}

bool NotchPanel::takesKeyboard() const {
    const QWindow* window = windowHandle();
    return window && !(window->flags() & Qt::WindowDoesNotAcceptFocus);
}

bool NotchPanel::takesText(const QWidget* widget) {
    // The press may land on a part of the editor (a text view's viewport): its owners count too.
    for (; widget && !widget->isWindow(); widget = widget->parentWidget()) {
        if (widget->isEnabled() && widget->testAttribute(Qt::WA_InputMethodEnabled) &&
            (widget->focusPolicy() & Qt::ClickFocus))
            return true;
    }
    return false;
}

bool NotchPanel::takesRightClick(const QWidget* widget) {
    for (; widget && !widget->isWindow(); widget = widget->parentWidget()) {
        if (widget->isEnabled() && widget->contextMenuPolicy() == Qt::CustomContextMenu)
            return true;
    }
    return false;
}

void NotchPanel::orderFrontAndFocus() {
    setTakesKeyboard(true);
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

void NotchPanel::orderFrontRegardless() {
    if (!isVisible())
        show();
    raise();
}

void NotchPanel::closeEvent(QCloseEvent* event) {
    // The panel has no title bar and no other way back: Alt+F4 or a pager's close (they come from
    // the window system) leave it be. The program's own quit still closes it.
    if (!event->spontaneous()) {
        QWidget::closeEvent(event);
        return;
    }
    qCInfo(lcApp, "close request for the notch panel ignored");
    event->ignore();
}

void NotchPanel::setPanelOpacity(qreal opacity) {
    setWindowOpacity(opacity);
    emit opacityChanged(windowOpacity());
}

void NotchPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit resized(event->size());
    emit frameChanged(geometry());
}

void NotchPanel::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    emit frameChanged(geometry());
}

void NotchPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit escapePressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool NotchPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::MouseButtonPress)
        if (watched == windowHandle() && event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            emit pressed(childAt(mouse->position().toPoint()), mouse->button());
        }
    if (watched == windowHandle() && event->type() == QEvent::MouseButtonRelease)
        emit released();
    return QWidget::eventFilter(watched, event);
}

void NotchPanel::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (m_drawn)
        return;
    m_drawn = true;
    // After the whole window has been drawn and handed to the display.
    QMetaObject::invokeMethod(this, &NotchPanel::firstFrameDrawn, Qt::QueuedConnection);
}
