// The INI reader on any text: it never crashes, its count is the length of what it gives,
// and a value it finds carries no blanks at its ends unless quotes held them.
#include "fuzz/check.h"
#include "startup/inireader.h"

#include <QStringList>

namespace
{

// The default can never be a value found: values come from single lines.
const QString kDefault = QStringLiteral("\n");

void checkRead(const QByteArray &bytes, const QString &section, const QString &key)
{
    const Ini::ProfileValue value = Ini::readProfileStringFromBytes(bytes, section, key, kDefault);
    const QString text = QString::fromUtf8(bytes);
    FUZZ_CHECK(value.count == value.text.size(), value.text);
    if (value.text == kDefault || value.text.isEmpty()) {
        return;
    }
    FUZZ_CHECK(!value.text.contains(QLatin1Char('\n')) && !value.text.contains(QLatin1Char('\r')),
               value.text);
    if (value.text.front().isSpace() || value.text.back().isSpace()) {
        const bool quoted = text.contains(QLatin1Char('"') + value.text + QLatin1Char('"')) ||
                            text.contains(QLatin1Char('\'') + value.text + QLatin1Char('\''));
        FUZZ_CHECK(quoted, value.text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = inputBytes(data, size);
    // The names the program asks for, and, when the input starts with "section\1key\0",
    // names of the fuzzer's own so that it can reach matches with them too.
    checkRead(bytes, QStringLiteral("InstallSettings"), QStringLiteral("InstallPath"));
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) {
        const QList<QByteArray> names = bytes.left(nul).split('\1');
        checkRead(bytes.mid(nul + 1), QString::fromUtf8(names.value(0)),
                  QString::fromUtf8(names.value(1)));
    }
    return 0;
}
