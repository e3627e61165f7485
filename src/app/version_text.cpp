#include "app/version_text.h"

#include "app/reader_identity.h"

namespace orvex::app {

std::string versionText(std::string_view programName) {
    std::string text(programName);
    text += ' ';
    text += productVersionString();
    text += "\nCopyright (C) 2026 Qel Applikationen GmbH";
    return text;
}

}  // namespace orvex::app
