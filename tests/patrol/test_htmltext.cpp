#include <gtest/gtest.h>

#include "formats/htmltext.h"
#include "tests/platform/qstringprinter.h"

namespace {

TEST(HtmlText, PlainTextOfMarkup) {
    struct Row {
        QString html;
        QString text;
    };
    const Row rows[] = {
        {QStringLiteral("<p class=\"x>y\">Fish &amp; <b>Chips</b></p><br/>"),
         QStringLiteral("Fish & Chips")},
        {QStringLiteral("<!-- <b>hidden</b> -->shown<!DOCTYPE x><?pi?>"), QStringLiteral("shown")},
        // A "<" that starts no tag is text.
        {QStringLiteral("3 < 4 and 5 <= 6 > 2"), QStringLiteral("3 < 4 and 5 <= 6 > 2")},
        {QStringLiteral("&#x1F363;&#12354;&hellip;&nbsp;&eacute;&lt;b&gt;"),
         QStringLiteral(u"🍣あ…\u00a0é<b>")},
        // What names no character is kept as written.
        {QStringLiteral("&unknown; &amp &#0; &#xD800; &#-1; &#12x; & ;&&&;"),
         QStringLiteral("&unknown; &amp &#0; &#xD800; &#-1; &#12x; & ;&&&;")},
        {QStringLiteral("<a href='x'>unclosed"), QStringLiteral("unclosed")},
        {QStringLiteral("tail <b"), QStringLiteral("tail ")},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(htmlToPlainText(row.html), row.text) << row.html.toStdString();
    }
}

}  // namespace
