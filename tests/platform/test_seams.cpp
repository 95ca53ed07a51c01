#include <gtest/gtest.h>

#include "tests/common/fakes.h"
#include "platform/desktop/browser.h"
#include "tests/platform/qstringprinter.h"

namespace {

TEST(FeedLinks, OnlyHttpAndHttpsWithAHostAreOpened) {
    struct Case {
        const char* link;
        bool openable;
    };
    const Case cases[] = {
        {"http://example.jp/news/1", true},
        {"https://example.jp/news?id=1&x=2", true},
        {"HTTP://EXAMPLE.JP/", true},
        {"http://", false},
        {"https:///path-only", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"mailto:user@example.jp", false},
        {"/news/1", false},
        {"news/1", false},
        {"", false},
        {"http://exa mple.jp/", false},
    };
    FakeBrowser browser;
    QStringList expected;
    for (const Case& c : cases) {
        const QString link = QString::fromLatin1(c.link);
        EXPECT_EQ(isFeedLinkOpenable(link), c.openable) << c.link;
        openFeedLink(browser, link);
        if (c.openable) {
            expected.append(link);
        }
    }
    EXPECT_EQ(browser.opened, expected);  // passed on unchanged
}

}  // namespace
