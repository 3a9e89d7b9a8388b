#pragma once

#include <QWidget>

#include <functional>

// Reports the pointer entering and leaving the widget it lies over (its parent). It never takes a
// click, scroll or drag: those reach the layers beneath. While disabled, entering reports nothing,
// leaving is still reported, and disabling reports the pointer as gone at once.
class HoverTrackingView : public QWidget {
    Q_OBJECT
public:
    explicit HoverTrackingView(QWidget* parent);

    bool isTrackingEnabled() const { return m_isEnabled; }
    // Takes the current values, as every update of the view does.
    void configure(bool isEnabled, std::function<void(bool inside)> onHoverChanged);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void report(bool inside);

    std::function<void(bool)> m_onHoverChanged;
    bool m_isEnabled = false;
};
