#pragma once

#include "Brimlark/quickactions/InlinePopoverCard.h"

#include <functional>

class InlinePopoverButton;
class QLabel;
class QLineEdit;

// The basic panel's calculator card: a field for the line, an "=" button and a close button, and
// under them the answer line while there is an answer or an error. Only Return and "=" work the
// line out; typing leaves the last answer on screen. A blank line clears the answer.
class InlineCalculatorPopover : public InlinePopoverCard {
    Q_OBJECT
public:
    InlineCalculatorPopover(const QString& expression, const QString& result, std::function<void()> onClose,
                            QWidget* parent = nullptr);

    QString expression() const;
    QString result() const { return m_result; }
    void setResult(const QString& result);

    // Works out the expression and shows the answer or the error.
    void evaluateCalculatorExpression();

    QLineEdit* field() const { return m_field; }
    QLabel* answerLine() const { return m_answer; }
    InlinePopoverButton* equalsButton() const { return m_equals; }
    InlinePopoverButton* closeButton() const { return m_close; }

signals:
    void expressionChanged(const QString& expression);
    void resultChanged(const QString& result);

private:
    std::function<void()> m_onClose;
    QString m_result;
    QLineEdit* m_field;
    QLabel* m_answer;
    InlinePopoverButton* m_equals;
    InlinePopoverButton* m_close;
};
