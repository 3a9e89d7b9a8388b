#pragma once

#include <QPointer>
#include <QWidget>

// Places content beside the notch and below it, so nothing is drawn under the camera housing.
// Leading and trailing content share a top band left and right of the notch; the bottom content
// fills what remains below the band. Without a physical notch the band, when reserved, is split
// evenly between leading and trailing. The band is never shorter than the side content asks.
class NotchSafeTopRegion : public QWidget {
    Q_OBJECT
public:
    // The horizontal split of the top band for a given width.
    struct Metrics {
        // Width kept free for the notch; 0 without a physical notch.
        double slotWidth = 0;
        // Width of the leading and of the trailing content.
        double sideWidth = 0;
        // Height the notch needs; 0 without a physical notch.
        double bandHeight = 0;

        // Height of the top band when it is reserved: never thinner than a row of text.
        double reservedBandHeight() const;
    };

    static Metrics metrics(double width, double horizontalPadding, double spacing, double notchWidth,
                           double notchHeight, bool hasPhysicalNotch);

    explicit NotchSafeTopRegion(QWidget* parent = nullptr);

    void setReserveTopBand(bool reserve);
    void setHorizontalPadding(double padding);
    void setSpacing(double spacing);
    void setNotchWidth(double width);
    void setNotchHeight(double height);
    bool hasPhysicalNotch() const { return m_hasPhysicalNotch; }
    void setHasPhysicalNotch(bool hasNotch);

    // The content widgets become children of the region; a replaced one is deleted, as Qt's
    // containers do. Null removes the content.
    QWidget* leading() const { return m_leading; }
    void setLeading(QWidget* widget);
    QWidget* trailing() const { return m_trailing; }
    void setTrailing(QWidget* widget);
    QWidget* bottom() const { return m_bottom; }
    void setBottom(QWidget* widget);

    // The metrics for the current width.
    Metrics currentMetrics() const;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void replace(QPointer<QWidget>& slot, QWidget* widget);
    // Lays the content out again and tells the parent layout the size hint may have changed.
    void contentChanged();
    void relayout();
    // Height taken by the top band, 0 when it is not reserved.
    double topBandHeight() const;

    QPointer<QWidget> m_leading;
    QPointer<QWidget> m_trailing;
    QPointer<QWidget> m_bottom;
    bool m_reserveTopBand = false;
    double m_horizontalPadding = 0;
    double m_spacing = 0;
    double m_notchWidth = 0;
    double m_notchHeight = 0;
    bool m_hasPhysicalNotch = false;
};
