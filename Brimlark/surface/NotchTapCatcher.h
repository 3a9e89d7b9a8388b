#pragma once

#include <QWidget>

#include <functional>

// An invisible layer over the closed panel whose whole rectangle takes a single click. While it is
// not catching, clicks pass through to the layers beneath.
class NotchTapCatcher : public QWidget {
    Q_OBJECT
public:
    NotchTapCatcher(std::function<void()> onTap, QWidget* parent);

    bool isCatching() const { return !testAttribute(Qt::WA_TransparentForMouseEvents); }
    void setCatching(bool catching);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> m_onTap;
    bool m_pressed = false;
};
