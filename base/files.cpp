#include "base/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Files
{

bool isNormalFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

TextEncoding detectEncoding(const QByteArray &bytes, QByteArray *withoutBom)
{
    static const QByteArray bom("\xEF\xBB\xBF", 3);
    if (bytes.startsWith(bom)) {
        if (withoutBom) {
            *withoutBom = bytes.mid(3);
        }
        return TextEncoding::Utf8;
    }
    if (withoutBom) {
        *withoutBom = bytes;
    }
    // Short GB18030 text can pass as UTF-8 made of two-byte sequences only (学习 reads
    // as Cyrillic and Greek). Chinese in UTF-8 takes three bytes or more a character, so
    // text without such a character stays GB18030; pure ASCII reads the same either way.
    bool wide = false;
    return isValidUtf8(bytes, &wide) && wide ? TextEncoding::Utf8 : TextEncoding::Gb18030;
}

bool isValidUtf8(QByteArrayView bytes, bool *hasWideCharacter)
{
    // A scan of the bytes: the whole file is not decoded just to learn its encoding.
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    bool wide = false;
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t least = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
            least = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
            least = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
            least = 0x10000;
        } else {
            return false;
        }
        if (end - p < length) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (p[k] & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode are not UTF-8.
        if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            return false;
        }
        wide = wide || length >= 3;
        p += length;
    }
    if (hasWideCharacter) {
        *hasWideCharacter = wide;
    }
    return true;
}

namespace
{
// Stateless: a character cut off at the end of the input is dropped or replaced there, not
// kept for the next call, so no decoder state crosses from one line into the next.
QStringDecoder makeDecoder(TextEncoding encoding)
{
    // A byte-order mark at the start of a line (the file's own is gone by now) is text
    // like any other character, whether the line is decoded alone or with the file.
    const auto flags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;
    if (encoding == TextEncoding::Utf8) {
        return QStringDecoder(QStringDecoder::Utf8, flags);
    }
    return QStringDecoder("GB18030", flags);
}
} // namespace

namespace
{

// Cuts text at its line ends: CR LF, a lone CR, a lone LF.
template <typename Text, typename Take> void forEachLine(const Text &text, Take take)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = text[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        take(start, i - start);
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < n) {
        take(start, n - start);
    }
}

} // namespace

QStringList decodeLines(const QByteArray &bytes)
{
    QByteArray body;
    const TextEncoding encoding = detectEncoding(bytes, &body);
    QStringList lines;
    QStringDecoder decoder = makeDecoder(encoding);
    if (!decoder.isValid()) {
        forEachLine(body, [&](qsizetype from, qsizetype length) {
            lines.append(QString::fromLatin1(body.constData() + from, length));
        });
        return lines;
    }
    // CR and LF never lie inside a well-formed character, so a file that decodes without
    // an error decodes line by line to the same text: one decode serves all lines then.
    const QString text = decoder.decode(body);
    if (!decoder.hasError()) {
        forEachLine(
            text, [&](qsizetype from, qsizetype length) { lines.append(text.mid(from, length)); });
        return lines;
    }
    // Otherwise each line on its own (the decoder is stateless): a line that ends in a stray
    // lead byte must not take the first character of the next line into it.
    decoder.resetState();
    forEachLine(body, [&](qsizetype from, qsizetype length) {
        lines.append(decoder.decode(QByteArrayView(body.constData() + from, length)));
    });
    return lines;
}

QString decodeText(const QByteArray &bytes)
{
    QByteArray body;
    const TextEncoding encoding = detectEncoding(bytes, &body);
    QStringDecoder decoder = makeDecoder(encoding);
    return decoder.isValid() ? decoder.decode(body) : QString::fromLatin1(body);
}

TextLines readTextLines(const QString &path)
{
    TextLines result;
    QFile file(path);
    if (!isNormalFile(path) || !file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        // Part of a group is not the group: its pairs could be cut anywhere.
        result.status = TextLines::ReadFailed;
        result.error = file.errorString();
        return result;
    }
    result.status = TextLines::Ok;
    result.lines = decodeLines(bytes);
    return result;
}

QByteArray readRecord(const QByteArray &image, int number, int size)
{
    QByteArray record(size, '\0');
    const qsizetype offset = static_cast<qsizetype>(number - 1) * size;
    if (number < 1 || offset >= image.size()) {
        return record;
    }
    const QByteArray present = image.mid(offset, size);
    record.replace(0, present.size(), present);
    return record;
}

void writeRecord(QByteArray &image, int number, const QByteArray &record)
{
    if (number < 1) {
        return;
    }
    const qsizetype offset = static_cast<qsizetype>(number - 1) * record.size();
    if (image.size() < offset + record.size()) {
        image.append(QByteArray(offset + record.size() - image.size(), '\0'));
    }
    image.replace(offset, record.size(), record);
}

bool deleteFile(const QString &path)
{
    if (!isNormalFile(path)) {
        return false;
    }
    return QFile::remove(path);
}

namespace
{

const QLatin1String kTemporaryInfix(".wordmoor-save-");
constexpr int kTemporarySuffix = 6;

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString folderOf(const QString &path)
{
    const QString folder = QFileInfo(path).path();
    return folder.isEmpty() ? QStringLiteral(".") : folder;
}

QString temporaryPrefix(const QString &target)
{
    return folderOf(target) + QLatin1String("/.") + QFileInfo(target).fileName() + kTemporaryInfix;
}

// Creates a temporary file of the target's that no one else has; -1 with errno set when the
// folder does not allow one.
int createTemporary(const QString &target, mode_t mode, QString *name)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const QString prefix = temporaryPrefix(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString candidate = prefix;
        for (int i = 0; i < kTemporarySuffix; ++i) {
            const int pick = QRandomGenerator::global()->bounded(int(sizeof(letters)) - 1);
            candidate += QLatin1Char(letters[pick]);
        }
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            *name = candidate;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// Every byte, or false with errno set.
bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Renames without replacing: a file that appeared meanwhile stays. Where the file system
// cannot rename that way, a hard link does the same.
int renameKeeping(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        return -1;
    }
    if (::link(from.constData(), to.constData()) != 0) {
        return -1;
    }
    ::unlink(from.constData());
    return 0;
}

// Once renamed, the new name is on the disk only when the folder is too.
void syncFolder(const QString &target)
{
    const int fd = ::open(QFile::encodeName(folderOf(target)).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString writeTarget(const QString &path)
{
    // As QSaveFile does: the link stays a link and the file it names is replaced, also when
    // that file does not exist yet.
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth) {
        info.setFile(info.symLinkTarget());
    }
    return info.isSymLink() ? path : info.filePath();
}

WriteResult writeWhole(const QString &path, const QByteArray &bytes, Existing existing)
{
    WriteResult result;
    const QString target = existing == Existing::Replace ? writeTarget(path) : path;
    const QByteArray targetName = QFile::encodeName(target);
    // A replaced file keeps its permissions; a new one gets what the umask allows.
    struct stat old = {};
    const bool replacing =
        existing == Existing::Replace && ::stat(targetName.constData(), &old) == 0;
    const mode_t mode = replacing ? old.st_mode & 07777 : 0666;
    QString temporary;
    const int fd = createTemporary(target, mode, &temporary);
    if (fd < 0) {
        result.error = QStringLiteral("cannot create a temporary file in %1: %2")
                           .arg(folderOf(target), systemReason(errno));
        return result;
    }
    const QByteArray temporaryName = QFile::encodeName(temporary);
    auto fail = [&](const QString &what, int error) {
        ::unlink(temporaryName.constData());
        result.error = QStringLiteral("%1 %2: %3").arg(what, target, systemReason(error));
        return result;
    };
    if (replacing && ::fchmod(fd, mode) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(QStringLiteral("cannot write"), error);
    }
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(QStringLiteral("cannot write"), error);
    }
    if (::close(fd) != 0) {
        return fail(QStringLiteral("cannot write"), errno);
    }
    if (existing == Existing::Replace) {
        if (::rename(temporaryName.constData(), targetName.constData()) != 0) {
            return fail(QStringLiteral("cannot replace"), errno);
        }
    } else if (renameKeeping(temporaryName, targetName) != 0) {
        return fail(QStringLiteral("cannot create"), errno);
    }
    syncFolder(target);
    result.ok = true;
    return result;
}

bool makePath(const QString &path, QString *error)
{
    const QString clean = QDir::cleanPath(path);
    for (qsizetype end = 1; end <= clean.size(); ++end) {
        if (end < clean.size() && clean[end] != QLatin1Char('/')) {
            continue;
        }
        const QString folder = clean.left(end);
        const QByteArray name = QFile::encodeName(folder);
        struct stat info = {};
        if ((::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode)) ||
            ::mkdir(name.constData(), 0777) == 0) {
            continue;
        }
        int reason = errno;
        if (reason != EEXIST) {
            *error = QStringLiteral("cannot create the folder %1: %2")
                         .arg(folder, systemReason(reason));
            return false;
        }
        // Something is there: a folder made meanwhile, a file, or a link to nothing.
        if (::stat(name.constData(), &info) == 0) {
            if (S_ISDIR(info.st_mode)) {
                continue;
            }
            reason = ENOTDIR;
        } else {
            reason = errno;
        }
        const QFileInfo entry(folder);
        *error = entry.isSymLink() ? QStringLiteral("cannot use %1 (a link to %2) as a folder: %3")
                                         .arg(folder, entry.symLinkTarget(), systemReason(reason))
                                   : QStringLiteral("cannot use %1 as a folder: %2")
                                         .arg(folder, systemReason(reason));
        return false;
    }
    return true;
}

void removeWriteLeftovers(const QString &path)
{
    const QString target = writeTarget(path);
    QDir folder(folderOf(target));
    const QString prefix = QLatin1Char('.') + QFileInfo(target).fileName() + kTemporaryInfix;
    const QRegularExpression leftover(
        QStringLiteral("^%1[A-Za-z0-9]{%2}$")
            .arg(QRegularExpression::escape(prefix), QString::number(kTemporarySuffix)));
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (leftover.match(name).hasMatch()) {
            folder.remove(name);
        }
    }
}

} // namespace Files
