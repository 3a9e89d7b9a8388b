#include "Brimlark/surface/HoverTrackingView.h"

#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>

HoverTrackingView::HoverTrackingView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    parent->installEventFilter(this);
}

void HoverTrackingView::configure(bool isEnabled, std::function<void(bool)> onHoverChanged) {
    m_onHoverChanged = std::move(onHoverChanged);
    m_isEnabled = isEnabled;
    if (!m_isEnabled)
        report(false);
}

void HoverTrackingView::setEntryArea(std::function<bool(const QPoint&)> counts) {
    m_entryArea = std::move(counts);
    watchWindow();
}

void HoverTrackingView::watchWindow() {
    QWindow* window = parentWidget()->window()->windowHandle();
    if (!window || window == m_window)
        return;
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    m_window->installEventFilter(this);
}

bool HoverTrackingView::entryCounts(const QEvent* event) const {
    if (!m_entryArea)
        return true;
    const auto* enter = dynamic_cast<const QEnterEvent*>(event);
    const QPoint position =
        enter ? enter->position().toPoint() : parentWidget()->mapFromGlobal(QCursor::pos());
    return m_entryArea(position);
}

void HoverTrackingView::report(bool inside) {
    m_reportedInside = inside;
    if (m_onHoverChanged)
        m_onHoverChanged(inside);
}

bool HoverTrackingView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent()) {
        if (event->type() == QEvent::Enter) {
            if (m_entryArea)
                watchWindow();
            if (m_isEnabled && entryCounts(event))
                report(true);
        } else if (event->type() == QEvent::Leave) {
            report(false);
        }
    } else if (watched == m_window && event->type() == QEvent::MouseMove && m_entryArea) {
        const auto* move = static_cast<const QMouseEvent*>(event);
        const QPoint position = parentWidget()->mapFromGlobal(move->globalPosition()).toPoint();
        const bool inside = m_isEnabled && parentWidget()->rect().contains(position) && m_entryArea(position);
        if (inside != m_reportedInside)
            report(inside);
    }
    return QWidget::eventFilter(watched, event);
}
