// lumadrel-publish: publishes a game folder as a version for the updater.
//
//   lumadrel-publish --version 1.0.1 --from GAME_FOLDER --www WWW_FOLDER
//                    [--document vorlenk2/update.xml] [--exclude PATTERN]...
#include <iostream>
#include <string_view>

#include "tools/publish/publication.h"

namespace {

void Usage(const char* program) {
    std::cerr << "Usage: " << program << " --version TEXT --from GAME_FOLDER --www WWW_FOLDER\n"
                 "                [--document PATH] [--exclude PATTERN]...\n"
                 "Copies every file of GAME_FOLDER to WWW_FOLDER/<document folder>/files/<version>/ and writes\n"
                 "the update document (default vorlenk2/update.xml) listing each with its size and SHA-256.\n"
                 "update.ini, duzo.ini and tovrin.update are never published; --exclude skips more\n"
                 "(a pattern for a path, a name or a top-level folder, e.g. '*.log').\n";
}

}  // namespace

int main(int argc, char** argv) {
    publish::PublishRequest request;
    for (int i = 1; i < argc; ++i) {
        std::string_view flag = argv[i];
        if (flag == "--help" || flag == "-h") {
            Usage(argv[0]);
            return 0;
        }
        if (i + 1 >= argc) {
            std::cerr << argv[0] << ": " << flag << " needs a value\n";
            return 2;
        }
        std::string value = argv[++i];
        if (flag == "--version") request.version = value;
        else if (flag == "--from") request.gameFolder = value;
        else if (flag == "--www") request.wwwFolder = value;
        else if (flag == "--document") request.documentPath = value;
        else if (flag == "--exclude") request.excluded.push_back(value);
        else {
            std::cerr << argv[0] << ": unknown flag " << flag << "\n";
            Usage(argv[0]);
            return 2;
        }
    }
    if (request.version.empty() || request.gameFolder.empty() || request.wwwFolder.empty()) {
        Usage(argv[0]);
        return 2;
    }
    publish::PublishSummary summary;
    std::string error;
    if (!publish::Publish(request, &summary, &error)) {
        std::cerr << argv[0] << ": " << error << "\n";
        return 1;
    }
    std::cout << "published " << request.version << ": " << summary.files << " files, " << summary.bytes
              << " bytes, " << summary.document << "\n";
    return 0;
}
