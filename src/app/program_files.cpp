#include "app/program_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <system_error>

#ifndef ORVEX_DATA_DIR
#define ORVEX_DATA_DIR "/usr/share/orvex-readersetup"
#endif
#ifndef ORVEX_SOURCE_RESOURCES
#define ORVEX_SOURCE_RESOURCES ""
#endif

namespace orvex::app {

namespace fs = std::filesystem;

namespace {

std::string programFile() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

bool hasPdfExtension(const fs::path &path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".pdf";
}

}  // namespace

std::string programDirectory() {
    const std::string exe = programFile();
    return exe.empty() ? std::string(".") : fs::path(exe).parent_path().string();
}

std::string dataDirectoryFor(const std::string &programFile) {
    std::error_code ec;
    const fs::path folder = fs::path(programFile).parent_path();
    // Looked up beside the program rather than at the configured prefix, so
    // that a package built from any build folder finds its own data.
    if (folder.filename() == "bin") {
        const fs::path installed = folder.parent_path() / "share" / "orvex-readersetup";
        if (fs::is_directory(installed, ec)) return installed.string();
    } else if (const fs::path source = ORVEX_SOURCE_RESOURCES;
               !source.empty() && fs::is_directory(source, ec)) {
        return source.string();
    }
    return ORVEX_DATA_DIR;
}

std::string programDataDirectory() { return dataDirectoryFor(programFile()); }

std::string programBuildDate() {
    struct stat info {};
    const std::string exe = programFile();
    if (exe.empty() || stat(exe.c_str(), &info) != 0) return {};
    std::tm local{};
    localtime_r(&info.st_mtime, &local);
    char text[16];
    return std::strftime(text, sizeof text, "%Y-%m-%d", &local) ? std::string(text) : std::string();
}

std::optional<std::string> firstPdfIn(const std::string &folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (hasPdfExtension(it->path()) && it->is_regular_file(ec)) return it->path().string();
    }
    return std::nullopt;
}

std::optional<std::string> findManual() {
    if (auto pdf = firstPdfIn(programDirectory())) return pdf;
    return firstPdfIn(programDataDirectory());
}

}  // namespace orvex::app
