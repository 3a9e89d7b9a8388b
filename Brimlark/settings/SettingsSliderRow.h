#pragma once

#include <QWidget>

class QLabel;
class QSlider;

// A settings row with a slider: its title and the current value on one line, the slider below it,
// stopping only at whole steps. Only the user's moves are reported; showing a stored value with
// setPosition() reports nothing, so a value the slider cannot show is not written over by opening
// the page. The wheel moves the slider only once it has the keyboard; before that it scrolls the
// page the row stands on.
class SettingsSliderRow : public QWidget {
    Q_OBJECT
public:
    SettingsSliderRow(const QString& title, int minimum, int maximum, QWidget* parent = nullptr);

    QSlider* slider() const { return m_slider; }
    QString valueText() const;
    void setValueText(const QString& text);
    // Moves the handle without reporting it.
    void setPosition(int step);

signals:
    void moved(int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_value;
    QSlider* m_slider;
};
