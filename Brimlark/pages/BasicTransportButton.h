#pragma once

#include <QAbstractButton>
#include <QString>

// One transport button of the media pane: a bare symbol at 18 points in a 30 by 30 frame, whose
// inscribed circle takes the clicks, with the panel's press look.
class BasicTransportButton : public QAbstractButton {
    Q_OBJECT
public:
    BasicTransportButton(const QString& symbol, const QString& accessibleName, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    // Shows `symbol` and names the button `accessibleName` (play and pause share one button).
    void setSymbol(const QString& symbol, const QString& accessibleName);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    QString m_symbol;
};
