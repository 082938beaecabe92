// What a runtime error report shows, and what it does besides.
#include <gtest/gtest.h>

#include <map>

#include "runtime/exit_routines.h"
#include "runtime/runtime_error.h"
#include "support/error_capture.h"

namespace {

// Forms known to the report: 0x52010001 with window tag "主窗口" and one
// component 0x16010002 tagged "按钮".
class TwoUnitForms : public rt::FormDirectory {
public:
    bool FormExists(uint32_t formId) const override { return formId == 0x52010001; }
    std::string WindowTag(uint32_t) const override { return "主窗口"; }
    bool UnitTag(uint32_t, uint32_t unitId, std::string* tag) const override {
        if (unitId == 0 || unitId == 0x06010001) { *tag = "主窗口"; return true; }
        if (unitId == 0x16010002) { *tag = "按钮"; return true; }
        return false;
    }
};

TEST(ErrorBox, StackErrorExampleHasExactlyItsLines) {
    std::string text = rt::ComposeErrorBoxText(rt::RuntimeErrorMessage(6), 6, rt::ComposeLocationText(0x040136D5, 18));
    EXPECT_EQ(text,
              "运行时出错!\r\n"
              "\r\n错误代码：6\r\n"
              "\r\n错误信息：调用DLL命令后发现堆栈错误\r\n"
              "\r\n67188437, 18\r\n");
}

TEST(ErrorBox, NoCodeAndNoMessageShowsHeadingAndLocationOnly) {
    EXPECT_EQ(rt::ComposeErrorBoxText("", 0, rt::ComposeLocationText(0, 0)), "运行时出错!\r\n\r\n0, 0\r\n");
}

TEST(ErrorLocation, NamesWindowAndComponentByTheirTags) {
    TwoUnitForms forms;
    rt::SetFormDirectory(&forms);
    EXPECT_EQ(rt::ComposeLocationText(0x52010001, 0x16010002),
              "\r\n1375797249, 369164290\r\n\"主窗口\"\r\n\"按钮\"\r\n");
    EXPECT_EQ(rt::ComposeLocationText(0x52010001, 0), "\r\n1375797249, 0\r\n\"主窗口\"\r\n\"主窗口\"\r\n");
    EXPECT_EQ(rt::ComposeLocationText(0x52010001, 0x16010099),
              "\r\n1375797249, 369164441\r\n\"主窗口\"\r\n未找到所指定的窗口组件\r\n");
    EXPECT_EQ(rt::ComposeLocationText(0x52019999, 1), "\r\n1375836569, 1\r\n未找到所指定的窗口\r\n");
    // A subroutine id in word 1 names nothing.
    EXPECT_EQ(rt::ComposeLocationText(0x040136D5, 18), "\r\n67188437, 18\r\n");
    rt::SetFormDirectory(nullptr);
    EXPECT_EQ(rt::ComposeLocationText(0x52010001, 0), "\r\n1375797249, 0\r\n未找到所指定的窗口\r\n");
}

int g_handlerCalls = 0;
std::string g_handlerText;
int HandledHandler(int code, const char* text) {
    ++g_handlerCalls;
    g_handlerText = text;
    return 1;
}
int DeclinedHandler(int, const char*) { return 0; }
void NeverRuns(int) { FAIL() << "an exit routine ran after a runtime error"; }

TEST(ErrorReport, HandlerThatDealsWithItSuppressesTheBox) {
    rt::testing::ErrorCapture capture;
    g_handlerCalls = 0;
    rt::SetErrorHandler(HandledHandler);
    rt::testing::CapturedError error = capture.Run([] { rt::ReportRuntimeErrorCode(4, 0x040136D5, 3); });
    rt::SetErrorHandler(nullptr);
    EXPECT_TRUE(error.raised);  // the program still ends
    EXPECT_TRUE(error.boxText.empty());
    EXPECT_EQ(g_handlerCalls, 1);
    EXPECT_EQ(g_handlerText, std::string(rt::RuntimeErrorMessage(4)) + "\r\n67188437, 3\r\n");
}

TEST(ErrorReport, DeclinedHandlerStillShowsTheBox) {
    rt::testing::ErrorCapture capture;
    rt::SetErrorHandler(DeclinedHandler);
    rt::testing::CapturedError error = capture.Run([] { rt::ReportRuntimeErrorCode(2, 0, 0); });
    rt::SetErrorHandler(nullptr);
    EXPECT_EQ(error.code, 2);
    EXPECT_EQ(error.message, "未得到所需要的数值型数据");
}

TEST(ErrorReport, DiscardsExitRoutinesAndSuppressesEvents) {
    rt::testing::ErrorCapture capture;
    rt::RegisterExitRoutine(NeverRuns);
    int depthDuringEnd = -1;
    rt::InstallErrorPlatform({[](const std::string&) {}, [](int) -> void { throw 0; }});
    try {
        rt::ReportRuntimeErrorCode(1, 0, 0);
    } catch (int) {
        depthDuringEnd = rt::EventSuppressionDepth();
    }
    EXPECT_GE(depthDuringEnd, 1);
    rt::LowerEventSuppression();
    EXPECT_EQ(rt::ExitRoutineCount(), 0u);
    rt::RunExitRoutines();
}

TEST(ErrorMessages, TableCoversCodesOneToEleven) {
    for (int code = 1; code <= 11; ++code) EXPECT_STRNE(rt::RuntimeErrorMessage(code), "") << code;
    EXPECT_STREQ(rt::RuntimeErrorMessage(0), "");
    EXPECT_STREQ(rt::RuntimeErrorMessage(12), "");
}

}  // namespace
