#pragma once

#include <QAbstractButton>

class QLabel;

// One choice of a settings page's list: a radio mark, a title and its description on a rounded
// card whose rim turns orange while the choice is selected. The kinds of list differ in how the
// mark sits beside the texts and whether the card also takes an orange tint.
class BrimlarkChoiceRow : public QAbstractButton {
    Q_OBJECT
public:
    struct Look {
        Qt::Alignment markAlignment = Qt::AlignVCenter;
        int markTopInset = 0;
        int textSpacing = 0;
        bool wrapTitle = false;
        bool tintWhenSelected = false;
    };

    BrimlarkChoiceRow(const QString& title, const QString& subtitle, const Look& look,
                      QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showRadio();

    Look m_look;
    bool m_selected = false;
    QLabel* m_radio;
};
