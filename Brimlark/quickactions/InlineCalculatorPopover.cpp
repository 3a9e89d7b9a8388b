#include "Brimlark/quickactions/InlineCalculatorPopover.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/quickactions/CalculatorExpression.h"
#include "Brimlark/quickactions/InlinePopoverButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

InlineCalculatorPopover::InlineCalculatorPopover(const QString& expression, const QString& result,
                                                 std::function<void()> onClose, QWidget* parent)
    : InlinePopoverCard(parent), m_onClose(std::move(onClose)) {
    auto* lines = new QVBoxLayout(this);
    lines->setContentsMargins(14, 12, 14, 12);
    lines->setSpacing(10);
    auto* row = new QHBoxLayout();
    row->setSpacing(10);
    auto* icon = new QLabel(this);
    icon->setPixmap(symbolPixmap(QStringLiteral("plus.forwardslash.minus"), BrimlarkTheme::warning(),
                                 QSize(12, 12), devicePixelRatioF()));
    row->addWidget(icon);
    m_field = makeField(QStringLiteral("2+2"));
    m_field->setText(expression);
    m_field->setAccessibleName(QStringLiteral("calculation"));
    row->addWidget(m_field, 1);
    m_equals = new InlinePopoverButton(InlinePopoverButton::Style::square, QString(), QStringLiteral("="),
                                       QStringLiteral("Calculate"), this);
    row->addWidget(m_equals);
    m_close = InlinePopoverButton::closeButton(this);
    row->addWidget(m_close);
    lines->addLayout(row);

    // The answer can be a message as long as the line typed; it wraps rather than widening the card.
    m_answer = plainLabel(QString(), BrimlarkTheme::monoSemibold13(), BrimlarkTheme::accent(), this);
    m_answer->setWordWrap(true);
    m_answer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lines->addWidget(m_answer);
    setResult(result);

    connect(m_field, &QLineEdit::textChanged, this, &InlineCalculatorPopover::expressionChanged);
    connect(m_field, &QLineEdit::returnPressed, this, &InlineCalculatorPopover::evaluateCalculatorExpression);
    connect(m_equals, &QAbstractButton::clicked, this,
            &InlineCalculatorPopover::evaluateCalculatorExpression);
    connect(m_close, &QAbstractButton::clicked, this, [this] {
        if (m_onClose)
            m_onClose();
    });
}

QString InlineCalculatorPopover::expression() const {
    return m_field->text();
}

void InlineCalculatorPopover::setResult(const QString& result) {
    const bool changed = result != m_result;
    m_result = result;
    m_answer->setText(result);
    m_answer->setVisible(!result.isEmpty());
    if (changed)
        emit resultChanged(result);
}

void InlineCalculatorPopover::evaluateCalculatorExpression() {
    setResult(::evaluateCalculatorExpression(m_field->text()));
}
