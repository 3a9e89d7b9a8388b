#include "Brimlark/quickactions/InlineSearchPopover.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/quickactions/InlinePopoverButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

InlineSearchPopover::InlineSearchPopover(const QString& query, std::function<void()> onSubmit,
                                         std::function<void()> onClose, QWidget* parent)
    : InlinePopoverCard(parent), m_onSubmit(std::move(onSubmit)), m_onClose(std::move(onClose)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 12, 14, 12);
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

    connect(m_field, &QLineEdit::textChanged, this, &InlineSearchPopover::queryChanged);
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
