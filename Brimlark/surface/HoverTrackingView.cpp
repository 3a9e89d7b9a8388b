#include "HoverTrackingView.h"

#include <QCursor>
#include <QEnterEvent>

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
    if (m_onHoverChanged)
        m_onHoverChanged(inside);
}

bool HoverTrackingView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent()) {
        if (event->type() == QEvent::Enter && m_isEnabled && entryCounts(event))
            report(true);
        else if (event->type() == QEvent::Leave)
            report(false);
    }
    return QWidget::eventFilter(watched, event);
}
