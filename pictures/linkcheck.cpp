#include "pictures/linkcheck.h"

#include "store/category.h"

#include <array>

namespace tabrix {

QUrl webUrl(const QString &link)
{
    // The tolerant reading encodes what a browser would encode (blanks,
    // quotes, braces, a lone "%") instead of refusing it.
    const QUrl url(link.trimmed(), QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    return url;
}

bool isWebLink(const QString &link)
{
    const QString scheme = webUrl(link).scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace tabrix

namespace tabrix::pictures {

LinkVerdict checkLink(const QString &link)
{
    if (link.isEmpty())
        return LinkVerdict::Missing;
    if (link.left(4).toUpper() != QLatin1String("HTTP") || !isWebLink(link))
        return LinkVerdict::NotWeb;
    // Forum pages and attachments often end with no extension at all.
    if (link.startsWith(forumPrefix(), Qt::CaseSensitive))
        return LinkVerdict::Accepted;

    // Only the last three characters count: ".jpeg" passes as "PEG",
    // ".tiff" as "IFF".
    const QString extension = link.right(3).toUpper();
    if (extension == QLatin1String("GIF"))
        return LinkVerdict::Gif;
    static const std::array<QLatin1String, 7> accepted = {
        QLatin1String("JPG"), QLatin1String("JPE"), QLatin1String("PEG"), QLatin1String("IFF"),
        QLatin1String("PNG"), QLatin1String("BMP"), QLatin1String("TIF"),
    };
    for (QLatin1String known : accepted)
        if (extension == known)
            return LinkVerdict::Accepted;
    return LinkVerdict::BadExtension;
}

QString verdictMessage(LinkVerdict verdict)
{
    switch (verdict) {
    case LinkVerdict::Accepted: return {};
    case LinkVerdict::Missing: return QStringLiteral("URL non spécifiée.");
    case LinkVerdict::NotWeb: return QStringLiteral("URL invalide.");
    case LinkVerdict::Gif: return QStringLiteral("Format GIF non supporté. ");
    case LinkVerdict::BadExtension: return QStringLiteral("Extension invalide.");
    }
    return {};
}

bool looksLikePicture(const QByteArray &head)
{
    auto startsWith = [&head](std::initializer_list<unsigned char> bytes) {
        if (head.size() < qsizetype(bytes.size()))
            return false;
        qsizetype i = 0;
        for (unsigned char b : bytes)
            if (static_cast<unsigned char>(head.at(i++)) != b)
                return false;
        return true;
    };
    return startsWith({0xFF, 0xD8, 0xFF})                                  // JPEG
           || startsWith({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}) // PNG
           || startsWith({'B', 'M'})                                      // BMP
           || startsWith({'I', 'I', 0x2A, 0x00})                          // TIFF, little-endian
           || startsWith({'M', 'M', 0x00, 0x2A})                          // TIFF, big-endian
           || startsWith({'G', 'I', 'F', '8'})                            // GIF87a, GIF89a
           || (startsWith({'R', 'I', 'F', 'F'}) && head.mid(8, 4) == "WEBP"); // WebP
}

QString notPictureMessage()
{
    return QStringLiteral("Le lien ne mène pas à une image JPEG, PNG, GIF, WebP, BMP ou TIFF.");
}

} // namespace tabrix::pictures
