#include "runtime/runtime_error.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/exit_routines.h"
#include "runtime/value_record.h"

namespace rt {
namespace {

const char* const kCodeMessages[] = {
    "",
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};

const FormDirectory* g_forms = nullptr;
ErrorHandler g_handler = nullptr;
bool g_inHandler = false;
int g_suppression = 0;

void DefaultShowErrorBox(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }
[[noreturn]] void DefaultEndProgram(int exitCode) { std::_Exit(exitCode); }

ErrorPlatform g_platform = {DefaultShowErrorBox, DefaultEndProgram};

}  // namespace

const char* RuntimeErrorMessage(int code) {
    if (code < 1 || code > 11) return "";
    return kCodeMessages[code];
}

void SetFormDirectory(const FormDirectory* directory) { g_forms = directory; }
void SetErrorHandler(ErrorHandler handler) { g_handler = handler; }
void InstallErrorPlatform(const ErrorPlatform& platform) { g_platform = platform; }

std::string ComposeLocationText(uint32_t word1, uint32_t word2) {
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, "\r\n%d, %d", static_cast<int32_t>(word1), static_cast<int32_t>(word2));
    std::string text = numbers;
    if (IsFormId(word1)) {
        if (!g_forms || !g_forms->FormExists(word1)) {
            text += "\r\n未找到所指定的窗口";
        } else {
            text += "\r\n\"" + g_forms->WindowTag(word1) + "\"";
            std::string tag;
            if (g_forms->UnitTag(word1, word2, &tag)) {
                text += "\r\n\"" + tag + "\"";
            } else {
                text += "\r\n未找到所指定的窗口组件";
            }
        }
    }
    text += "\r\n";
    return text;
}

std::string ComposeErrorBoxText(const std::string& message, int code, const std::string& locationText) {
    std::string text = "运行时出错!\r\n";
    if (code != 0) text += "\r\n错误代码：" + std::to_string(code) + "\r\n";
    if (!message.empty()) text += "\r\n错误信息：" + message + "\r\n";
    text += locationText;
    return text;
}

void ReportRuntimeError(const std::string& message, int code, uint32_t word1, uint32_t word2) {
    RaiseEventSuppression();
    std::string location = ComposeLocationText(word1, word2);
    bool handled = false;
    if (g_handler && !g_inHandler) {
        g_inHandler = true;
        std::string full = message + location;
        handled = g_handler(code, full.c_str()) != 0;
        g_inHandler = false;
    }
    if (!handled) g_platform.showErrorBox(ComposeErrorBoxText(message, code, location));
    DiscardExitRoutines();
    g_platform.endProgram(-1);
}

void ReportRuntimeErrorCode(int code, uint32_t word1, uint32_t word2) {
    ReportRuntimeError(RuntimeErrorMessage(code), code, word1, word2);
}

int EventSuppressionDepth() { return g_suppression; }
void RaiseEventSuppression() { ++g_suppression; }
void LowerEventSuppression() {
    if (g_suppression > 0) --g_suppression;
}

}  // namespace rt
