#pragma once

#include "Brimlark/core/AdvancedPage.h"
#include "Brimlark/kit/BrimlarkAnimation.h"
#include "Brimlark/pages/PanelServices.h"

#include <QPointer>
#include <QSizeF>
#include <QWidget>

#include <array>
#include <functional>

class InteractionEngine;
class NotchSafeTopRegion;
class PageIndicator;
class QKeyEvent;
class QLabel;
class QVariantAnimation;

// The open panel's advanced mode: one of six pages with a header naming it, arrows to page, a close
// button and the page dots. The page shown is the mode's page; every change goes through the
// interaction engine. Ctrl with the left or right arrow pages, also while held, ahead of whatever
// the page's editor would do with it; plain arrows reach the page. A page whose service the caller
// left out of the panel's services shows its title. Each page is made when first shown and kept, laid out,
// while the view lives: paging back to it only shows it again. The pages read the panel's services; the notes
// page copies to the workspace's clipboard, and reduce motion swaps the page spring for a short ease.
class AdvancedModeView : public QWidget {
    Q_OBJECT
public:
    struct Inputs {
        InteractionEngine* interactionEngine = nullptr;
        bool hasPhysicalNotch = false;
        QSizeF notchSize;
        int page = 0;
        std::function<void()> onClose;
        // Brings up the settings window (the AI hooks page offers it).
        std::function<void()> onOpenSettings;
    };

    AdvancedModeView(const PanelServices& services, Inputs inputs, QWidget* parent = nullptr);
    AdvancedModeView(const PanelServices&& services, Inputs inputs, QWidget* parent = nullptr) = delete;
    ~AdvancedModeView() override;

    // The page shown: the mode's page clamped into the six pages.
    int currentPage() const;
    // Shows another page: the new content comes in from the trailing edge.
    void setPage(int page);
    // A dot tap: the clamped page, opened as a gesture would.
    void selectPage(int index);
    // Ctrl+Left / Ctrl+Right page backward and forward; true when the key was taken.
    bool handleArrowKey(QKeyEvent* event);

    // The parts, for inspection.
    NotchSafeTopRegion* header() const { return m_header; }
    PageIndicator* pageIndicator() const { return m_indicator; }
    QWidget* pageContent() const { return m_content; }
    QString shownTitle() const;
    // The motion a page change uses.
    const BrimlarkAnimation& motion() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* makePageContent(int page);
    // The page's widget, made on first use.
    QWidget* pageWidget(int page);
    void showPageContent(bool animated);
    // Puts a running slide at its end at once: the page it brought in in place, the page it took
    // out hidden.
    void finishSlide();
    void updateHeader();

    const PanelServices& m_services;
    Inputs m_inputs;
    NotchSafeTopRegion* m_header = nullptr;
    QLabel* m_icon = nullptr;
    QLabel* m_title = nullptr;
    QWidget* m_pageHost = nullptr;
    QPointer<QWidget> m_content;
    std::array<QPointer<QWidget>, AdvancedPages::pageCount> m_pages;
    QPointer<QVariantAnimation> m_slide;
    QPointer<QWidget> m_leaving;
    PageIndicator* m_indicator = nullptr;
};
