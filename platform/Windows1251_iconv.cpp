#include "Windows1251.h"

#include <QStringList>
#include <cerrno>
#include <iconv.h>

namespace {
// Converts the whole input, or reports the first place it could not.
bool Convert(const char* to, const char* from, const QByteArray& in, QByteArray& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return false;
    out.resize(in.size() * 4 + 4);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1);
    out.resize(out.size() - qsizetype(dstLeft));
    iconv_close(cd);
    return ok;
}
} // namespace

QByteArray EncodeWindows1251(const QString& text, bool* ok) {
    // The byte without a letter, 0x98, read as U+0098, is written back as itself.
    QByteArray out;
    bool converted = true;
    const QStringList parts = text.split(QChar(0x98));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += '\x98';
        QByteArray part;
        converted = Convert("CP1251", "UTF-8", parts[i].toUtf8(), part) && converted;
        out += part;
    }
    if (ok)
        *ok = converted;
    return out;
}

QString DecodeWindows1251(const QByteArray& bytes) {
    // Every byte decodes; the one byte without a letter (0x98) becomes U+0098.
    QByteArray fixed = bytes;
    QByteArray out;
    for (qsizetype i = 0; i < fixed.size(); ++i)
        if (quint8(fixed[i]) == 0x98)
            fixed[i] = '\x01'; // placeholder, put back below
    Convert("UTF-8", "CP1251", fixed, out);
    QString text = QString::fromUtf8(out);
    for (qsizetype i = 0, j = 0; i < bytes.size() && j < text.size(); ++i, ++j)
        if (quint8(bytes[i]) == 0x98)
            text[j] = QChar(0x98);
    return text;
}
