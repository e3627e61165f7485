#include "sheets/key_table_backup.h"

#include <filesystem>

#include "app/string_table.h"
#include "base/ini_file.h"
#include "params/key_table_file.h"
#include "sheets/config_files.h"
#include "sheets/safe_programming.h"

namespace orvex::app {

KeyTableBackup saveKeyTableBackup(const KeyTable &table, const std::string &model, const std::string &port,
                                  const std::string &folder) {
    KeyTableBackup backup;
    const std::string dir = folder.empty() ? defaultBackupFolder() : folder;
    if (dir.empty()) {
        // No home: no backup folder in a shared place.
        backup.error = StringTable::instance().text("program.noBackupFolder");
        return backup;
    }
    const std::string path = reserveBackupPath(dir, model, port, "mkr");
    bool written = false;
    if (!path.empty()) {
        IniFile file;
        if (file.open(path, true, true, true)) {
            saveKeyTable(table, file);
            if (!model.empty()) file.writeString(kReaderSection, kReaderModelKey, model);
            written = file.flush();
        }
    }
    if (!written) {
        // A cut-off table would restore only part of the keys.
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove(path, ignored);
        backup.error = StringTable::instance().format("keytable.backupUnsaved", path.empty() ? dir : path);
        return backup;
    }
    pruneBackups(dir, ProgramSafeguards{}.backupsKept, path);
    backup.path = path;
    return backup;
}

}  // namespace orvex::app
