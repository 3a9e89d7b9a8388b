#pragma once

#include <QAbstractButton>
#include <QString>

// The buttons of the inline popovers: a small dark square holding a symbol or a short text (the
// search's send button, the calculator's "="), or the bare close cross.
class InlinePopoverButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style { square, close };

    // `symbol` is drawn when given, otherwise `text`.
    InlinePopoverButton(Style style, const QString& symbol, const QString& text,
                        const QString& accessibleName, QWidget* parent = nullptr);

    static InlinePopoverButton* closeButton(QWidget* parent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Style m_style;
    QString m_symbol;
};
