#include "support/form_harness_win32.h"

#include <gtest/gtest.h>

#include <thread>

#include "runtime/entry_points.h"
#include "runtime/form_record.h"
#include "runtime/form_template.h"
#include "runtime/message_loop_win32.h"
#include "runtime/program.h"

namespace testing_support {

FormBuilder::FormBuilder(uint32_t formId, uint32_t windowType, int width, int height, std::vector<uint8_t> windowData,
                         uint32_t windowFlags)
    : formId_(formId) {
    rt::UnitFields window;
    window.id = 0x06000000u | (formId & 0x00FFFFFF);
    window.typeReference = windowType;
    window.left = 50;
    window.top = 50;
    window.width = width;
    window.height = height;
    window.flags = windowFlags;
    window.ownData = std::move(windowData);
    units_.push_back(std::move(window));
}

uint32_t FormBuilder::Add(uint32_t typeReference, const std::string& name, int left, int top, int width, int height,
                          uint32_t flags, std::vector<uint8_t> ownData, uint32_t parentId) {
    rt::UnitFields unit;
    unit.id = 0x16000000u | ((formId_ + static_cast<uint32_t>(units_.size())) & 0x00FFFFFF);
    unit.typeReference = typeReference;
    unit.name = name;
    unit.left = left;
    unit.top = top;
    unit.width = width;
    unit.height = height;
    unit.flags = flags;
    unit.ownData = std::move(ownData);
    unit.parent = parentId;
    uint32_t id = unit.id;
    units_.push_back(std::move(unit));
    if (parentId) Unit(parentId).children.push_back(id);
    return id;
}

rt::UnitFields& FormBuilder::Unit(uint32_t unitId) {
    if (unitId == 0) return units_[0];
    for (rt::UnitFields& unit : units_)
        if (unit.id == unitId) return unit;
    ADD_FAILURE() << "no unit " << unitId;
    return units_[0];
}

void FormBuilder::Bind(uint32_t unitId, int32_t eventNumber, int handlerIndex) {
    Unit(unitId).events.push_back({eventNumber, rt::HandlerOffsetOf(static_cast<uint32_t>(handlerIndex))});
}

std::vector<uint8_t> BuildTemplate(const std::vector<FormBuilder>& forms) {
    rt::FormTemplate formTemplate;
    for (const FormBuilder& builder : forms) {
        rt::FormRecord record;
        record.id = builder.FormId();
        EXPECT_EQ(record.SetUnits(builder.Units()), rt::ReadStatus::kOk);
        formTemplate.forms.push_back(std::move(record));
    }
    return formTemplate.Write();
}

namespace {
std::vector<uint8_t> g_template;
std::vector<const rt::SupportLibrary*> g_libraries;
}  // namespace

void StartRuntime(const std::vector<uint8_t>& templateBytes, std::vector<const rt::SupportLibrary*> libraries,
                  const rt::EventHandler* handlers, int handlerCount) {
    g_template = templateBytes;
    g_libraries = std::move(libraries);
    g_libraries.resize(rt::kSupportLibraryCount, nullptr);
    rt::ProgramDescriptor program{};
    program.userCodeBase = reinterpret_cast<uintptr_t>(handlers);
    program.templateData = g_template.data();
    program.templateLength = static_cast<uint32_t>(g_template.size());
    program.libraryCount = rt::kSupportLibraryCount;
    program.libraries = g_libraries.data();
    rt::SetCurrentProgram(program);
    rt::InitializeRuntime();
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (message.message == WM_QUIT) return done();
            rt::PumpOneMessage();
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

void AfterDelay(DWORD delay, std::function<void()> action) {
    std::thread([delay, action = std::move(action)] {
        Sleep(delay);
        action();
    }).detach();
}

COLORREF ClientPixel(HWND window, int x, int y) {
    UpdateWindow(window);
    HDC dc = GetDC(window);
    COLORREF pixel = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return pixel;
}

}  // namespace testing_support
