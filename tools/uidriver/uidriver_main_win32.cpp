// uidriver: finds and operates the windows of another Windows program for
// end-to-end tests. With a command after the options it runs that one command;
// without, it reads commands from standard input and answers each with one
// line of JSON on standard output.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "tools/uidriver/driver_session_win32.h"
#include "tools/uidriver/text_encoding_win32.h"

namespace {

using uidriver::CommandToken;
using uidriver::DriverSession;
using uidriver::JsonValue;

constexpr char kUsage[] =
    "usage: uidriver [--template FILE] [--form NAME=ID]... [--absent-type TYPE]... [--timeout MS]\n"
    "                [--send-timeout MS] [--settle-timeout MS] [--keep] [COMMAND ARG...]\n"
    "Without a command, reads one command per line from standard input and answers\n"
    "each with one JSON line. See tools/uidriver/README.md for the commands.\n";

void WriteAll(HANDLE output, const std::string& text) {
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(output, data, static_cast<DWORD>(left), &written, nullptr) || written == 0) return;
        data += written;
        left -= written;
    }
}

void Answer(const JsonValue& answer) {
    WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), answer.Serialize() + "\n");
}

std::vector<std::string> Utf8Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i) arguments.push_back(uidriver::Utf8FromWide(wide[i]));
    if (wide) LocalFree(wide);
    return arguments;
}

bool ParseMilliseconds(const std::string& text, UINT* value) {
    int64_t number = 0;
    if (!uidriver::ParseNumber(text, &number) || number < 0 || number > 600000) return false;
    *value = static_cast<UINT>(number);
    return true;
}

// Reads commands until quit or the end of input.
void RunCommandStream(DriverSession& session) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::string pending;
    char buffer[4096];
    bool quit = false;
    while (!quit) {
        size_t end = pending.find('\n');
        if (end == std::string::npos) {
            DWORD read = 0;
            if (!ReadFile(input, buffer, sizeof buffer, &read, nullptr) || read == 0) {
                if (pending.empty()) break;
                pending += '\n';
            } else {
                pending.append(buffer, read);
            }
            continue;
        }
        std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        Answer(session.Run(line, &quit));
    }
}

}  // namespace

int main() {
    DriverSession session;
    std::vector<std::string> arguments = Utf8Arguments();
    std::string templatePath;
    size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option.rfind("--", 0) != 0) break;
        bool hasValue = i + 1 < arguments.size();
        uidriver::Failure failure;
        if (option == "--keep") {
            session.keepProcesses = true;
        } else if (option == "--template" && hasValue) {
            templatePath = arguments[++i];
        } else if (option == "--absent-type" && hasValue) {
            if (!session.AddAbsentType(arguments[++i], &failure)) {
                Answer(uidriver::FailureAnswer(failure));
                return 2;
            }
        } else if (option == "--form" && hasValue) {
            if (!session.AddFormName(arguments[++i], &failure)) {
                Answer(uidriver::FailureAnswer(failure));
                return 2;
            }
        } else if (option == "--timeout" && hasValue && ParseMilliseconds(arguments[i + 1], &session.waitTimeoutMs)) {
            ++i;
        } else if (option == "--send-timeout" && hasValue &&
                   ParseMilliseconds(arguments[i + 1], &session.sendTimeoutMs)) {
            ++i;
        } else if (option == "--settle-timeout" && hasValue &&
                   ParseMilliseconds(arguments[i + 1], &session.settleTimeoutMs)) {
            ++i;
        } else {
            WriteAll(GetStdHandle(STD_ERROR_HANDLE), kUsage);
            return 2;
        }
    }
    uidriver::Failure failure;
    if (!templatePath.empty() && !session.LoadTemplate(templatePath, &failure)) {
        Answer(uidriver::FailureAnswer(failure));
        return 2;
    }
    if (i == arguments.size()) {
        RunCommandStream(session);
        return 0;
    }
    // One command from the command line; its programs outlive this run.
    session.keepProcesses = true;
    std::vector<CommandToken> tokens;
    for (; i < arguments.size(); ++i) tokens.push_back({arguments[i], false});
    bool quit = false;
    JsonValue answer = session.RunTokens(tokens, &quit);
    Answer(answer);
    const JsonValue* ok = answer.Find("ok");
    return ok && ok->AsBool() ? 0 : 1;
}
