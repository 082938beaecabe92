// Account registration and the shop login with its verification code.
#include <cstring>

#include "launcher/commands_win32.h"
#include "launcher/form_ids.h"
#include "launcher/handlers_win32.h"
#include "launcher/server_link_win32.h"
#include "runtime/type_references.h"

namespace launcher::handlers {
namespace {

char* Content(uint32_t formId, uint32_t unitId) { return ReadTextProperty(formId, unitId, property::kContent); }
void Empty(uint32_t formId, uint32_t unitId) { WriteTextProperty(formId, unitId, property::kContent, ""); }
void Focus(uint32_t formId, uint32_t unitId) { SetComponentFocus(formId, unitId, rt::kEditBoxTypeReference); }
bool IsEmpty(const Owned& text) { return text.get() == nullptr; }
bool Same(const Owned& first, const Owned& second) { return std::strcmp(first.text(), second.text()) == 0; }

}  // namespace

int64_t RegisterClicked(const uint32_t*, int) {
    using namespace register_window;
    Owned account(Content(kForm, kAccountEdit));
    Owned password(Content(kForm, kPasswordEdit));
    Owned repeat(Content(kForm, kRepeatPasswordEdit));
    if (IsEmpty(account) || IsEmpty(password) || IsEmpty(repeat)) {
        ShowMessage("请填写完整", 0x40, "错误");
        return 0;
    }
    if (TextLength(account.text()) < 6) {
        ShowMessage("账号长度必须大于等于 6位", 0x40, "错误");
        Focus(kForm, kAccountEdit);
        Empty(kForm, kAccountEdit);
        return 0;
    }
    if (TextLength(password.text()) < 6) {
        ShowMessage("密码长度必须大于等于 6位", 0x40, "错误");
        Focus(kForm, kPasswordEdit);
        Empty(kForm, kPasswordEdit);
        Empty(kForm, kRepeatPasswordEdit);
        return 0;
    }
    if (!Same(repeat, password)) {
        ShowMessage("两次输入的密码不一致", 0x40, "错误");
        Focus(kForm, kRepeatPasswordEdit);
        Empty(kForm, kRepeatPasswordEdit);
        return 0;
    }
    SendServerRequest("注册账号", {account.text(), repeat.text()});  // the answer comes as a reply
    Destroy(kForm);
    return 0;
}

int64_t ShopLoginCreated(const uint32_t*, int) {
    SetRandomSeed();
    Owned code(ToText(RandomNumber(1000, 9999)));
    WriteTextProperty(shop_login_window::kForm, shop_login_window::kCodeLabel, property::kCaption, code.text());
    return 0;
}

int64_t LoginClicked(const uint32_t*, int) {
    using namespace shop_login_window;
    Owned account(Content(kForm, kAccountEdit));
    Owned password(Content(kForm, kPasswordEdit));
    Owned typedCode(Content(kForm, kCodeEdit));
    if (IsEmpty(account) || IsEmpty(password) || IsEmpty(typedCode)) {
        ShowMessage("请填写完整", 0x40, "提示");
        return 0;
    }
    Owned expectedCode(ReadTextProperty(kForm, kCodeLabel, property::kCaption));
    if (!Same(typedCode, expectedCode)) {
        ShowMessage("验证码错误", 0x40, "提示");
        return 0;
    }
    if (!SendServerRequest("登陆商城", {account.text(), password.text()})) ShowMessage("连接服务器失败", 0x40, "提示");
    return 0;
}

int64_t OpenRegisterWindow(const uint32_t*, int) {
    LoadWindow(register_window::kForm, true);
    return 0;
}

}  // namespace launcher::handlers
