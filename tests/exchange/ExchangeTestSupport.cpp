#include "ExchangeTestSupport.h"

#include <QFile>
#include <minizip/zip.h>

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool WriteZip(const QString& path, const std::vector<std::pair<QString, QByteArray>>& entries)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const auto& [name, content] : entries) {
        zip_fileinfo info {};
        ok = ok
            && zipOpenNewFileInZip64(zip, name.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                   Z_DEFAULT_COMPRESSION, 0)
                == ZIP_OK
            && zipWriteInFileInZip(zip, content.constData(), unsigned(content.size())) == ZIP_OK
            && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}
