#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;

// The floating card of the basic panel's one-line tools: a dark rounded card with a hairline rim.
// Whenever it comes on screen it gives the keyboard focus to its text field, so that typing goes
// straight in.
class InlinePopoverCard : public QWidget {
    Q_OBJECT
public:
    explicit InlinePopoverCard(QWidget* parent = nullptr);

protected:
    // A plain text field in the card's look: no frame or background, 13-point text.
    QLineEdit* makeField(const QString& placeholder);
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QLineEdit> m_field;
};
