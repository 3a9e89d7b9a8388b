#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class TimerService;

// The small card that starts a countdown of a chosen length, opened beside the timer's quick
// action: a title over one capsule button each for 15, 30 and 60 minutes. A pick asks for
// notification permission, starts the timer (replacing a running one) and then runs `onPick`, with
// which the host closes the card. The lengths are reached with Tab and the arrow keys and picked
// with Space or Return; Escape asks the host to close the card. It is a plain child of the panel:
// it holds the keyboard only while the panel does.
class TimerPickerPopover : public QWidget {
    Q_OBJECT
public:
    TimerPickerPopover(TimerService& service, std::function<void()> onPick, QWidget* parent = nullptr);

    // Gives the keyboard focus to the first length (it reaches the user once the panel holds the
    // keyboard).
    void focusFirstLength();

signals:
    // Escape was pressed in the card.
    void dismissRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void pick(double seconds);

    QPointer<TimerService> m_service;
    std::function<void()> m_onPick;
    QList<QWidget*> m_lengths;
};
