#pragma once

#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <functional>

// Reports the pointer entering and leaving the widget it lies over (its parent). It never takes a
// click, scroll or drag: those reach the layers beneath. While disabled, entering reports nothing,
// leaving is still reported, and disabling reports the pointer as gone at once. An entry area, when
// given, narrows where the pointer counts as inside: entering elsewhere reports nothing, and moving
// within the widget into or out of the area reports entering or leaving; leaving the widget is
// reported wherever it happens.
class HoverTrackingView : public QWidget {
    Q_OBJECT
public:
    explicit HoverTrackingView(QWidget* parent);

    // Takes the current values, as every update of the view does.
    void configure(bool isEnabled, std::function<void(bool inside)> onHoverChanged);
    // Entering is reported only at a point (in the parent's coordinates) for which `counts` answers
    // true; an empty function lets every point count.
    void setEntryArea(std::function<bool(const QPoint& position)> counts);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void report(bool inside);
    bool entryCounts(const QEvent* event) const;
    void watchWindow();
    bool m_reportedInside = false;
    // The platform window the parent lies in: it sees every move of the pointer over it, also
    // those that end at a child which takes them.
    QPointer<QWindow> m_window;

    std::function<void(bool)> m_onHoverChanged;
    std::function<bool(const QPoint&)> m_entryArea;
    bool m_isEnabled = false;
};
