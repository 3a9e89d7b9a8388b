#pragma once

#include <QObject>
#include <QString>

namespace AdvancedPages {
Q_NAMESPACE

// The pages of the advanced panel, in the order they are paged through (raw values 0 to 5).
enum class AdvancedPage { notes = 0, calendar = 1, reminders = 2, apps = 3, aiHooks = 4, shelf = 5 };
Q_ENUM_NS(AdvancedPage)

// The number of pages, used for paging.
inline constexpr int pageCount = 6;

// Any stored page index mapped into 0 … pageCount − 1 (non-negative modulo), so a hand-edited or
// negative value can never index past the pages.
inline constexpr int normalizedPage(long long page) {
    const long long r = page % pageCount;
    return static_cast<int>(r < 0 ? r + pageCount : r);
}

// The page's name as the panel shows it.
inline QString title(AdvancedPage page) {
    switch (page) {
    case AdvancedPage::notes:
        return QStringLiteral("notes");
    case AdvancedPage::calendar:
        return QStringLiteral("calendar");
    case AdvancedPage::reminders:
        return QStringLiteral("reminders");
    case AdvancedPage::apps:
        return QStringLiteral("apps");
    case AdvancedPage::aiHooks:
        return QStringLiteral("ai hooks");
    case AdvancedPage::shelf:
        return QStringLiteral("file shelf");
    }
    return {};
}

// The symbol drawn beside the page's title.
inline QString symbolName(AdvancedPage page) {
    switch (page) {
    case AdvancedPage::notes:
        return QStringLiteral("note.text");
    case AdvancedPage::calendar:
        return QStringLiteral("calendar");
    case AdvancedPage::reminders:
        return QStringLiteral("checklist");
    case AdvancedPage::apps:
        return QStringLiteral("square.grid.2x2");
    case AdvancedPage::aiHooks:
        return QStringLiteral("bolt.horizontal.circle");
    case AdvancedPage::shelf:
        return QStringLiteral("tray.full");
    }
    return {};
}

} // namespace AdvancedPages

using AdvancedPage = AdvancedPages::AdvancedPage;
