#include "base/wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Files
{

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

namespace
{

// The bytes in a new temporary file beside target, closed; flushed to the disk when asked.
// Gives the temporary's name, or the error in writeWhole's words with the system's reason
// alone in *reason (and no temporary left).
Result<QString> writeTemporary(const QString &target, const QByteArray &bytes, mode_t mode,
                               bool replacing, bool flush, QString *reason)
{
    Result<QString> result;
    const int fd = createTemporary(target, mode, &result.value);
    if (fd < 0) {
        *reason = systemReason(errno);
        result.fail(QStringLiteral("cannot create a temporary file in %1: %2")
                        .arg(folderOf(target), *reason));
        return result;
    }
    bool written = (!replacing || ::fchmod(fd, mode) == 0) && writeAll(fd, bytes) &&
                   (!flush || ::fsync(fd) == 0);
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(QFile::encodeName(result.value).constData());
        *reason = systemReason(error);
        result.fail(QStringLiteral("cannot write %1: %2").arg(target, *reason));
        return result;
    }
    result.succeed();
    return result;
}

// Flushes the file system that holds path's folder; false with errno set.
bool syncFileSystem(const QString &path)
{
    const int folder =
        ::open(QFile::encodeName(folderOf(path)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return false;
    }
    const bool synced = ::syncfs(folder) == 0;
    const int error = errno;
    ::close(folder);
    errno = error;
    return synced;
}

} // namespace

WriteResult writeWhole(const QString &path, const QByteArray &bytes, Existing existing,
                       QString *reason)
{
    QString why;
    reason = reason ? reason : &why;
    WriteResult result;
    const QString target = existing == Existing::Replace ? writeTarget(path) : path;
    const QByteArray targetName = QFile::encodeName(target);
    // A replaced file keeps its permissions; a new one gets what the umask allows.
    struct stat old = {};
    const bool replacing =
        existing == Existing::Replace && ::stat(targetName.constData(), &old) == 0;
    const mode_t mode = replacing ? old.st_mode & 07777 : 0666;
    const Result<QString> temporary = writeTemporary(target, bytes, mode, replacing, true, reason);
    if (!temporary.ok) {
        result.fail(temporary.error);
        return result;
    }
    const QByteArray temporaryName = QFile::encodeName(temporary.value);
    const bool renamed = existing == Existing::Replace
                             ? ::rename(temporaryName.constData(), targetName.constData()) == 0
                             : renameKeeping(temporaryName, targetName) == 0;
    if (!renamed) {
        *reason = systemReason(errno);
        ::unlink(temporaryName.constData());
        result.fail(QStringLiteral("%1 %2: %3")
                        .arg(existing == Existing::Replace ? QStringLiteral("cannot replace")
                                                           : QStringLiteral("cannot create"),
                             target, *reason));
        return result;
    }
    syncFolder(target);
    result.succeed();
    return result;
}

Result<int> writeNewFiles(const QList<NewFile> &files)
{
    Result<int> result;
    QStringList temporaries;
    for (const NewFile &file : files) {
        removeWriteLeftovers(file.path);
        QString reason;
        const Result<QString> temporary =
            writeTemporary(file.path, file.bytes, 0666, false, false, &reason);
        if (!temporary.ok) {
            result.fail(QStringLiteral("%1: %2").arg(file.path, reason));
            break;
        }
        temporaries.append(temporary.value);
    }
    // One flush of the file system for all files, not one for each: that took 2.7 s for
    // 600 groups.
    if (!temporaries.isEmpty() && !syncFileSystem(files.front().path)) {
        result.fail(QStringLiteral("%1: %2").arg(files.front().path, systemReason(errno)));
        for (const QString &temporary : temporaries) {
            ::unlink(QFile::encodeName(temporary).constData());
        }
        return result;
    }
    // Those written before a failure still take their names; after a failed rename none does.
    bool renaming = true;
    for (qsizetype i = 0; i < temporaries.size(); ++i) {
        const QByteArray temporary = QFile::encodeName(temporaries[i]);
        const QString &path = files[i].path;
        if (renaming && renameKeeping(temporary, QFile::encodeName(path)) == 0) {
            ++result.value;
            continue;
        }
        if (renaming) {
            result.fail(QStringLiteral("%1: %2").arg(
                path, errno == EEXIST ? QStringLiteral("the file exists") : systemReason(errno)));
            renaming = false;
        }
        ::unlink(temporary.constData());
    }
    if (result.value > 0) {
        syncFolder(files.front().path); // the new names
    }
    if (result.error.isEmpty()) {
        result.succeed();
    }
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
