#pragma once

#include <QString>
#include <QUrl>

// What a command-line argument (or a line handed over by a second start) asks the program
// to do: subscribe to a feed through the new-site dialog, or load a site list.
struct OpenRequest {
    enum class Kind {
        // Not accepted; why says so for the log.
        Refused,
        // A feed: an http or https URL, or a local file that is not an OPML file.
        Feed,
        // A local ".opml" file, offered as the File menu's OPML load.
        SiteList,
    };

    Kind kind = Kind::Refused;
    // http(s) URL, or file: URL of an existing local file.
    QUrl url;
    QString why;

    // The text for the new-site dialog's URL box: the URL as a user reads it, or the
    // local file's path.
    [[nodiscard]] QString displayText() const;
    // One line of the hand-over between instances: the URL in its encoded form, so that
    // no character of a path or URL can break the line.
    [[nodiscard]] QByteArray handOverLine() const;
};

// Accepted: "http://..." and "https://...", the feed: forms ("feed:https://host/x",
// "feed://host/x" for http, "feed://https://host/x"), "file:" URLs and paths of existing
// local files (relative ones against workingDir; an empty workingDir refuses them, as
// the receiving side of a hand-over does). Everything else (javascript:, data:, mailto:,
// missing files, directories) is refused.
[[nodiscard]] OpenRequest interpretArgument(const QString& argument, const QString& workingDir);

// The log line of a refused request; long arguments (a data: URL) are shortened.
[[nodiscard]] QString refusalLogText(const QString& argument, const OpenRequest& request);
