#pragma once

#include "Brimlark/core/AdvancedPage.h"

#include <QList>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QVariantAnimation;

// The row of page dots under the advanced pages, with an orange pill that slides to the current
// page. Each dot is a button (with a few points of slop around it) that reports its position;
// the owner switches the page and hands back the new `current`, which is never clamped here: a
// position off the row moves the pill off the row.
class PageIndicator : public QWidget {
    Q_OBJECT
public:
    PageIndicator(QList<AdvancedPage> pages, int current, std::function<void(int)> onTap, double dotSize = 5,
                  double activeWidth = 16, double spacing = 8, QWidget* parent = nullptr);

    int current() const { return m_current; }
    void setCurrent(int current);
    // The pill's span from the row's leading edge, where it rests (the animation aside).
    QRectF pillRect() const;
    // The pill where it is drawn now.
    QRectF shownPillRect() const;
    const QList<QAbstractButton*>& dots() const { return m_dots; }

    // How far a tap may land outside a dot and still count.
    static constexpr int hitSlop = 4;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double pillOffset(int current) const;
    void layoutDots();

    QList<AdvancedPage> m_pages;
    int m_current;
    std::function<void(int)> m_onTap;
    double m_dotSize;
    double m_activeWidth;
    double m_spacing;
    double m_shownOffset;
    QList<QAbstractButton*> m_dots;
    QVariantAnimation* m_slide;
};
