#pragma once

#include "ui/services.h"

#include <QByteArray>
#include <QString>

namespace tabrix::image {

// What the picture window makes of an image link before fetching it.
enum class LinkVerdict {
    Accepted,     // fetch it
    Missing,      // empty link
    NotWeb,       // not an http or https address
    Gif,          // a GIF picture, which the window refuses
    BadExtension, // does not end like a known picture file
};

// The checks, in order: an empty link, a web address (it starts with
// "http", in any case, and is a valid http or https address), then, unless
// the link is the forum's own (it starts with forumPrefix()), its last three
// characters: GIF is refused, and only JPG, JPE, PEG, IFF, PNG, BMP and TIF
// are accepted.
LinkVerdict checkLink(const QString &link);

// The message box that tells the user about a refused link: its text and
// icon. Empty text for an accepted link.
QString verdictMessage(LinkVerdict verdict);
MessageIcon verdictIcon(LinkVerdict verdict);

// Whether these first bytes of a file are those of a JPEG, PNG, BMP or TIFF
// picture, the only kinds handed to the shrinking tool.
bool looksLikePicture(const QByteArray &head);

// How many first bytes looksLikePicture() needs to decide.
constexpr int pictureHeadSize = 8;

} // namespace tabrix::image
