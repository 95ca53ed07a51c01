#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include "core/siterow.h"

// The outline attributes a site list keeps, shared by both ways of reading one.
namespace opmlfields {

enum Field { kOther, kText, kHtmlUrl, kXmlUrl };

// Attribute names are matched by their local name (the text after the first ":"),
// lower-cased. Name is a QStringView or a QLatin1StringView.
template <typename Name>
Field fieldOf(Name qualifiedName) {
    const qsizetype colon = qualifiedName.indexOf(QLatin1Char(':'));
    const Name name = colon < 0 ? qualifiedName : qualifiedName.mid(colon + 1);
    const auto is = [name](QLatin1StringView field) {
        return name.size() == field.size() && name.compare(field, Qt::CaseInsensitive) == 0;
    };
    if (is(QLatin1StringView("text"))) {
        return kText;
    }
    if (is(QLatin1StringView("htmlurl"))) {
        return kHtmlUrl;
    }
    if (is(QLatin1StringView("xmlurl"))) {
        return kXmlUrl;
    }
    return kOther;  // "type", "title", "version", ... are not read
}

// Puts one attribute's value into the row; the later of two attributes naming one field
// wins. An xmlUrl, even empty, makes the entry a site.
inline void setField(SiteRow& row, Field field, QString value) {
    switch (field) {
        case kText:
            row.strTitle = std::move(value);
            break;
        case kHtmlUrl:
            row.strHtmlUrl = std::move(value);
            break;
        case kXmlUrl:
            row.strXmlUrl = std::move(value);
            row.intKind = kKindSite;
            break;
        case kOther:
            break;
    }
}

}  // namespace opmlfields
