#include "FileKind.h"

#include <QFile>
#include <sys/stat.h>

FileFacts FactsOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    FileFacts facts;
    facts.kind = S_ISREG(st.st_mode)   ? FileKind::Regular
                 : S_ISDIR(st.st_mode) ? FileKind::Directory
                                       : FileKind::Stream;
    facts.identity = FileIdentity{quint64(st.st_dev), quint64(st.st_ino)};
    if (facts.kind == FileKind::Regular)
        facts.size = qint64(st.st_size);
    return facts;
}
