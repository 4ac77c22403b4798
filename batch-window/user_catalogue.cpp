#include "batch-window/user_catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSaveFile>

#include "batch/catalogue_save.h"

namespace batch_window {

const QByteArray CatalogueHeader =
    "# Каталог систем координат coordconv: свои датумы и системы (формат TOML).\n"
    "# Система — таблица [system.ИДЕНТИФИКАТОР] (строчные латинские буквы, цифры и «-»),\n"
    "# например (числа здесь условные):\n"
    "#\n"
    "# [system.msk-example]\n"
    "# name = \"МСК (пример), зона 1\"\n"
    "# datum = \"sk42\"\n"
    "# tmerc = { lon_0 = 35.48333333333, lat_0 = 0.0, k = 1.0, x_0 = 1250000.0, y_0 = "
    "-5412900.566 }\n"
    "# keys = { dx = 0.0, dy = 0.0, rotation = 0.0, scale_ppm = 0.0 }   # ключи, если есть\n"
    "#\n"
    "# или строка PROJ из ГИС: proj = \"+proj=tmerc ...\". Весь формат — в README и man\n"
    "# coordconv-cli. Окно coordconv-batch читает файл заново по «Системы → Перечитать каталог».\n";

namespace {

// Writes the whole file through a temporary one beside it.
bool Replace(const QString& path, const QByteArray& content, QString* error) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = QObject::tr("не удалось создать папку %1").arg(QFileInfo(path).absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace

bool EnsureCatalogueFile(const QString& path, QString* error) {
    return QFileInfo::exists(path) || Replace(path, CatalogueHeader, error);
}

bool AppendToCatalogue(const QString& path, const QByteArray& table, QString* error) {
    // Read and replaced under the lock coordconv-fit takes too: neither loses the other's table.
    const QString directory = QFileInfo(path).absolutePath();
    QDir().mkpath(directory);
    const batch::DirectoryLock lock(directory.toStdString());
    QByteArray content = CatalogueHeader;
    if (QFileInfo::exists(path)) {
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly)) {
            *error = old.errorString();
            return false;
        }
        content = old.readAll();
        if (old.error() != QFileDevice::NoError) {
            *error = old.errorString();
            return false;
        }
    }
    if (!content.isEmpty() && !content.endsWith('\n')) content += '\n';
    if (!content.isEmpty()) content += '\n';  // a blank line between tables
    return Replace(path, content + table, error);
}

}  // namespace batch_window
