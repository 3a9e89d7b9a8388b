#pragma once

#include "Brimlark/core/HaloMode.h"

#include <QAbstractButton>

class QLabel;

// One glow mode in the glow tab: a radio mark, the mode's title (lower-cased) and its description
// (as written), on a card that takes an orange tint while the mode is chosen.
class GlowModeRow : public QAbstractButton {
    Q_OBJECT
public:
    GlowModeRow(HaloMode mode, QWidget* parent = nullptr);

    HaloMode mode() const { return m_mode; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    // The mode's title as written and its description.
    static QString title(HaloMode mode);
    static QString subtitle(HaloMode mode);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showRadio();

    HaloMode m_mode;
    bool m_selected = false;
    QLabel* m_radio;
};
