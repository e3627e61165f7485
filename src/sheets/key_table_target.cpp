#include "sheets/key_table_target.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "app/string_table.h"
#include "base/ini_file.h"
#include "sheets/config_files.h"

namespace orvex::app {
namespace {

bool endsWithMkp(const std::string &path) {
    const std::string name = path.substr(path.rfind('/') + 1);
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    for (char &c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".mkp";
}

// Only "HID_KEYS" and the model it was read from, and at least one of them.
bool holdsKeyTablesAlone(const IniFile &file) {
    bool any = false;
    for (const IniSection &section : file.sections()) {
        const bool ours = section.name == "HID_KEYS" || section.name == kReaderSection;
        if (ours) any = true;
        if (!ours && (!section.keys.empty() || !section.name.empty())) return false;
    }
    return any;
}

TargetProblem usage(std::string text) { return {std::move(text), true}; }
TargetProblem systemError(const std::string &path, int err) { return {path + ": " + std::strerror(err)}; }

}  // namespace

TargetProblem keyTableTargetProblem(const std::string &path) {
    const StringTable &st = StringTable::instance();
    if (path.empty()) return usage(st.text("config.noFile"));
    if (endsWithMkp(path)) return usage(st.text("config.needMkr"));
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) return systemError(path, errno);
        // A new file: its folder must be there.
        const auto slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
        const int err = ::stat(folder.c_str(), &info) != 0 ? errno : S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
        return err ? systemError(folder, err) : TargetProblem{};
    }
    if (S_ISDIR(info.st_mode)) return systemError(path, EISDIR);
    if (!S_ISREG(info.st_mode)) return {st.format("keytable.targetNotFile", path)};
    IniFile file;
    if (!file.open(path, false, false, true)) return {file.errorText()};
    if (info.st_size == 0 || kindOfContent(file) == ConfigFileKind::Mkr || holdsKeyTablesAlone(file))
        return {};
    return usage(st.format("keytable.targetNotConfiguration", path));
}

}  // namespace orvex::app
