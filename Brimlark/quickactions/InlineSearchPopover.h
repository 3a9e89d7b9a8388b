#pragma once

#include "Brimlark/quickactions/InlinePopoverCard.h"

#include <functional>

class InlinePopoverButton;
class QLabel;
class QLineEdit;

// The basic panel's web-search card: a field for the query with a send button and a close
// button. Return or the send button hands the query to `onSubmit` (its owner opens the search and
// closes the card, or says why it could not); the close button calls `onClose`. The query stays
// as typed.
class InlineSearchPopover : public InlinePopoverCard {
    Q_OBJECT
public:
    InlineSearchPopover(const QString& query, std::function<void()> onSubmit, std::function<void()> onClose,
                        QWidget* parent = nullptr);

    QString query() const;
    // A line under the field saying why the search did not open; empty hides it. Typing hides it
    // too.
    void setMessage(const QString& message);
    QString message() const;

    QLineEdit* field() const { return m_field; }
    InlinePopoverButton* sendButton() const { return m_send; }
    InlinePopoverButton* closeButton() const { return m_close; }

signals:
    void queryChanged(const QString& query);

private:
    std::function<void()> m_onSubmit;
    std::function<void()> m_onClose;
    QLineEdit* m_field;
    InlinePopoverButton* m_send;
    InlinePopoverButton* m_close;
    QLabel* m_message;
};
