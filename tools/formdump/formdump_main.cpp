// formdump: prints a binary window template as form sources that formc
// compiles back to the same bytes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/form_template.h"
#include "tools/form_source/handler_table.h"
#include "tools/form_source/source_lines.h"
#include "tools/form_source/template_printer.h"
#include "tools/form_source/text_encoding.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: formdump TEMPLATE [-o DIRECTORY] [--handlers LIST]\n"
                 "  without -o       the whole source goes to standard output, byte blocks inline\n"
                 "  -o DIRECTORY     writes DIRECTORY/template.forms, one .form file per form and\n"
                 "                   byte blocks of 64 bytes or more as files\n"
                 "  --handlers LIST  print handler offsets by name\n");
    return 2;
}

bool WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    std::string input, directory, handlerFile;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "-o" && hasValue) {
            directory = argv[++i];
        } else if (arg == "--handlers" && hasValue) {
            handlerFile = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && input.empty()) {
            input = arg;
        } else {
            return Usage();
        }
    }
    if (input.empty()) return Usage();

    std::string bytes;
    if (!formsource::ReadFileBytes(input, &bytes)) {
        std::fprintf(stderr, "%s: cannot read the file\n", input.c_str());
        return 1;
    }
    rt::FormTemplate formTemplate;
    rt::ReadStatus status = rt::FormTemplate::Read(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                                   &formTemplate);
    if (status != rt::ReadStatus::kOk) {
        std::fprintf(stderr, "%s: not a window template: %s\n", input.c_str(), rt::ReadStatusText(status));
        return 1;
    }
    formsource::HandlerTable handlers;
    formsource::PrintOptions options;
    if (!handlerFile.empty()) {
        auto read = formsource::ReadHandlerTable(handlerFile);
        if (!read) {
            std::fprintf(stderr, "%s\n", read.error().message.c_str());
            return 1;
        }
        handlers = std::move(read).value();
        options.handlers = &handlers;
    }

    std::string manifest = "# Window template printed by formdump from " + std::filesystem::path(input).filename().string() + "\n";
    if (directory.empty()) {
        if (!handlerFile.empty()) manifest += "handlers " + formsource::QuotedRawLiteral(handlerFile) + "\n";
        formsource::BlobWriter blobs;
        for (const rt::FormRecord& form : formTemplate.forms) {
            manifest += "\n" + formsource::PrintForm(form, options, blobs).value();
        }
        std::fwrite(manifest.data(), 1, manifest.size(), stdout);
        return 0;
    }

    std::error_code code;
    std::filesystem::create_directories(directory, code);
    if (!handlerFile.empty()) {
        std::filesystem::copy_file(handlerFile, std::filesystem::path(directory) / "handlers.txt",
                                   std::filesystem::copy_options::overwrite_existing, code);
        if (code) {
            std::fprintf(stderr, "%s: cannot copy the handler list\n", directory.c_str());
            return 1;
        }
        manifest += "handlers \"handlers.txt\"\n";
    }
    formsource::BlobWriter blobs(directory);
    for (const rt::FormRecord& form : formTemplate.forms) {
        char name[32];
        std::snprintf(name, sizeof name, "f%08X.form", form.id);
        manifest += "include \"" + std::string(name) + "\"\n";
        auto printed = formsource::PrintForm(form, options, blobs);
        if (!printed) {
            std::fprintf(stderr, "%s\n", printed.error().message.c_str());
            return 1;
        }
        if (!WriteText(std::filesystem::path(directory) / name, *printed)) {
            std::fprintf(stderr, "%s/%s: cannot write\n", directory.c_str(), name);
            return 1;
        }
    }
    if (!WriteText(std::filesystem::path(directory) / "template.forms", manifest)) {
        std::fprintf(stderr, "%s/template.forms: cannot write\n", directory.c_str());
        return 1;
    }
    return 0;
}
