#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class BrimlarkRoundedButton;

// A settings row that picks one of a few options: its title above one button per option, sharing
// the row's width. The selected option is filled in the warning colour. Pressing an option reports
// it, also when it is the selected one; whoever holds the row stores it and calls setSelected().
class SettingsChoiceRow : public QWidget {
    Q_OBJECT
public:
    // `options`: the texts of the buttons, in order.
    SettingsChoiceRow(const QString& title, const QStringList& options, QWidget* parent = nullptr);

    int selected() const { return m_selected; }
    void setSelected(int index);
    const QList<BrimlarkRoundedButton*>& buttons() const { return m_buttons; }

signals:
    void chosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<BrimlarkRoundedButton*> m_buttons;
    int m_selected = -1;
};
