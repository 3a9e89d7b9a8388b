#pragma once

#include <QObject>

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

} // namespace AdvancedPages

using AdvancedPage = AdvancedPages::AdvancedPage;
