// formc: compiles form sources into the binary window template.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "tools/form_source/handler_table.h"
#include "tools/form_source/template_compiler.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: formc SOURCE -o TEMPLATE [--handlers LIST] [--emit-handlers INCLUDE]\n"
                 "  SOURCE           template source (forms inline or included)\n"
                 "  -o TEMPLATE      binary window template to write\n"
                 "  --handlers LIST  handler names, one per line (offset = 4 x index);\n"
                 "                   overrides a handlers line in the source\n"
                 "  --emit-handlers INCLUDE\n"
                 "                   write LUMADREL_HANDLER(offset, name) lines for the program\n");
    return 2;
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    std::string source, output, emitHandlers;
    formsource::CompileOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "-o" && hasValue) {
            output = argv[++i];
        } else if (arg == "--handlers" && hasValue) {
            options.handlerFile = argv[++i];
        } else if (arg == "--emit-handlers" && hasValue) {
            emitHandlers = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && source.empty()) {
            source = arg;
        } else {
            return Usage();
        }
    }
    if (source.empty() || output.empty()) return Usage();

    auto compiled = formsource::CompileTemplate(source, options);
    if (!compiled) {
        std::fprintf(stderr, "%s\n", compiled.error().message.c_str());
        return 1;
    }
    const formsource::CompileResult& result = *compiled;
    std::vector<uint8_t> bytes = result.formTemplate.Write();
    if (!WriteFile(output, bytes.data(), bytes.size())) {
        std::fprintf(stderr, "%s: cannot write the template\n", output.c_str());
        return 1;
    }
    if (!emitHandlers.empty()) {
        if (result.handlerFile.empty()) {
            std::fprintf(stderr, "--emit-handlers needs a handler list (--handlers or a handlers line)\n");
            return 1;
        }
        std::string text = formsource::HandlerTableInclude(result.handlers, result.handlerFile);
        if (!WriteFile(emitHandlers, text.data(), text.size())) {
            std::fprintf(stderr, "%s: cannot write the handler include\n", emitHandlers.c_str());
            return 1;
        }
    }
    return 0;
}
