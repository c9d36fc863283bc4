#include "pictures/shrink.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace tabrix::pictures {

void removeScratchFiles(const QString &programDir)
{
    const QDir dir(programDir);
    QFile::remove(dir.filePath(shrunkFileName()));
    QFile::remove(dir.filePath(downloadedFileName()));
    for (const QString &copy : dir.entryList({QStringLiteral("image2_url-*.jpg")}, QDir::Files))
        QFile::remove(dir.filePath(copy));
}

namespace {
constexpr int hintWidth = shrunkMaxWidth;
constexpr int hintHeight = shrunkMaxHeight;
} // namespace

std::optional<bool> largeJpeg(const QByteArray &data)
{
    auto byte = [&data](qsizetype i) { return static_cast<unsigned char>(data.at(i)); };
    if (data.size() < 4)
        return std::nullopt;
    if (byte(0) != 0xFF || byte(1) != 0xD8)
        return false;
    for (qsizetype i = 2; i + 9 < data.size();) {
        if (byte(i) != 0xFF)
            return false;
        const unsigned char marker = byte(i + 1);
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
            return (byte(i + 7) << 8 | byte(i + 8)) >= hintWidth && (byte(i + 5) << 8 | byte(i + 6)) >= hintHeight;
        i += 2 + (byte(i + 2) << 8 | byte(i + 3));
    }
    return std::nullopt;
}

bool isLargeJpeg(const QString &path)
{
    QFile file(path);
    // The frame header follows the metadata segments, within the first 256 kB.
    return file.open(QIODevice::ReadOnly) && largeJpeg(file.read(256 * 1024)).value_or(false);
}

ShrinkCommand shrinkCommandFor(const QString &magickPath, const QString &convertPath, bool largeJpeg,
                               const QString &input, const QString &output)
{
    // A JPEG is decoded straight at the smallest scale no smaller than the
    // bound (the decoder's own shrink-on-load), then resized: the same
    // picture, several times faster on a camera-sized photograph. Other
    // formats ignore the hint.
    QStringList arguments;
    if (largeJpeg)
        arguments << QStringLiteral("-define") << QStringLiteral("jpeg:size=%1x%2").arg(hintWidth).arg(hintHeight);
    arguments << (input == jpegInput() ? input : input + QStringLiteral("[0]")) << QStringLiteral("-resize")
              << QStringLiteral("%1x%2>").arg(shrunkMaxWidth).arg(shrunkMaxHeight) << output;
    if (!magickPath.isEmpty())
        return {magickPath, QStringList{QStringLiteral("convert")} + arguments};
    if (!convertPath.isEmpty())
        return {convertPath, arguments};
    return {};
}

std::optional<ShrinkCommand> findShrinkCommand(bool large, const QString &input, const QString &output)
{
    ShrinkCommand command = shrinkCommandFor(QStandardPaths::findExecutable(QStringLiteral("magick")),
                                             QStandardPaths::findExecutable(QStringLiteral("convert")), large, input,
                                             output);
    if (command.program.isEmpty())
        return std::nullopt;
    return command;
}

} // namespace tabrix::pictures
