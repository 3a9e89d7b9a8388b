#include "Brimlark/quickactions/InlineSearchPopover.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/quickactions/InlinePopoverButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

InlineSearchPopover::InlineSearchPopover(const QString& query, std::function<void()> onSubmit,
                                         std::function<void()> onClose, QWidget* parent)
    : InlinePopoverCard(parent), m_onSubmit(std::move(onSubmit)), m_onClose(std::move(onClose)) {
    auto* lines = new QVBoxLayout(this);
    lines->setContentsMargins(14, 12, 14, 12);
    lines->setSpacing(10);
    auto* row = new QHBoxLayout();
    row->setSpacing(10);
    auto* icon = new QLabel(this);
    icon->setPixmap(symbolPixmap(QStringLiteral("magnifyingglass"), BrimlarkTheme::accent(), QSize(12, 12),
                                 devicePixelRatioF()));
    row->addWidget(icon);
    m_field = makeField(QStringLiteral("search google"));
    m_field->setText(query);
    m_field->setAccessibleName(QStringLiteral("search google"));
    row->addWidget(m_field, 1);
    m_send = new InlinePopoverButton(InlinePopoverButton::Style::square, QStringLiteral("arrow.up.right"),
                                     QString(), QStringLiteral("Search"), this);
    row->addWidget(m_send);
    m_close = InlinePopoverButton::closeButton(this);
    row->addWidget(m_close);
    lines->addLayout(row);
    m_message = plainLabel(QString(), BrimlarkTheme::monoSemibold13(), BrimlarkTheme::danger(), this);
    m_message->setWordWrap(true);
    m_message->setVisible(false);
    lines->addWidget(m_message);

    connect(m_field, &QLineEdit::textChanged, this, &InlineSearchPopover::queryChanged);
    connect(m_field, &QLineEdit::textChanged, this, [this] { setMessage(QString()); });
    auto submit = [this] {
        if (m_onSubmit)
            m_onSubmit();
    };
    connect(m_field, &QLineEdit::returnPressed, this, submit);
    connect(m_send, &QAbstractButton::clicked, this, submit);
    connect(m_close, &QAbstractButton::clicked, this, [this] {
        if (m_onClose)
            m_onClose();
    });
}

QString InlineSearchPopover::query() const {
    return m_field->text();
}

void InlineSearchPopover::setMessage(const QString& message) {
    m_message->setText(message);
    m_message->setVisible(!message.isEmpty());
}

QString InlineSearchPopover::message() const {
    return m_message->text();
}
