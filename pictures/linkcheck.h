#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace tabrix {

// The address a browser would make of a link: blanks and other characters
// it would encode are encoded, letters of any alphabet kept, the blanks
// around it dropped. Invalid when it has no host.
QUrl webUrl(const QString &link);

// Whether a link may be handed to a browser or downloaded: an http or https
// address, as a browser would take it.
bool isWebLink(const QString &link);

} // namespace tabrix

namespace tabrix::pictures {

// What the picture window makes of an image link before fetching it.
enum class LinkVerdict {
    Accepted,     // fetch it
    Missing,      // empty link
    NotWeb,       // not an http or https address
    Gif,          // ends like a GIF file, which the window refuses
    BadExtension, // does not end like a known picture file
};

// The checks, in order: an empty link, a web address (it starts with
// "http", in any case, and is an http or https address), then, unless the
// link is the forum's own (it starts with forumPrefix()), its last three
// characters as typed: GIF is refused, and only JPG, JPE, PEG, IFF, PNG,
// BMP and TIF are accepted.
LinkVerdict checkLink(const QString &link);

// The text that tells the user about a refused link; empty for an accepted one.
QString verdictMessage(LinkVerdict verdict);

// Whether these first bytes of a file are those of a JPEG, PNG, GIF, WebP,
// BMP or TIFF picture, the only kinds handed to the shrinking tool.
bool looksLikePicture(const QByteArray &head);

// How many first bytes looksLikePicture() needs to decide.
constexpr int pictureHeadSize = 12;

// Why a download was refused when its bytes are not a picture's.
QString notPictureMessage();

} // namespace tabrix::pictures
