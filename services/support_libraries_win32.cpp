#include "services/support_libraries.h"

#include <winsock2.h>
#include <windows.h>

#include "components/common/component_types_win32.h"
#include "services/core_commands.h"
#include "services/http_download.h"
#include "services/shell_commands.h"
#include "services/window_commands_win32.h"
#include "services/xml_commands.h"

namespace services {
namespace {

constexpr uint32_t kEvents = rt::kTypeFlagCanRaiseEvents;
constexpr uint32_t kInvisible = rt::kTypeFlagNeverShown;

// Core library: component types by their fixed indexes; types this program
// does not carry have no interface and the loader skips them.
const rt::ComponentType kCoreTypes[37] = {
    {"窗口", "Window", kEvents, components::WindowTypeInterface},
    {}, {}, {},
    {"编辑框", "EditBox", kEvents, components::EditBoxTypeInterface},
    {"图片框", "PicBox", kEvents, components::PictureBoxTypeInterface},
    {}, {}, {},
    {"标签", "Label", kEvents, components::LabelTypeInterface},
    {"按钮", "Button", kEvents, components::ButtonTypeInterface},
    {"选择框", "CheckBox", kEvents, components::CheckBoxTypeInterface},
    {},
    {"组合框", "ComboBox", kEvents, components::ComboBoxTypeInterface},
    {}, {}, {}, {}, {}, {},
    {"选择夹", "Tab", kEvents | rt::kTypeFlagPagedChildren, nullptr},
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    {"时钟", "Timer", kEvents | kInvisible, components::TimerTypeInterface},
    {}, {}, {}, {},
    {"客户", "Client", kEvents | kInvisible, components::ClientTypeInterface},
};

const rt::CommandFunction kCoreCommands[] = {
    FindText, FindTextReverse, SplitText, CompareText, TextLeft, TextLength, ToText, ToNumber, ToInteger,
    ToByteSet, BitOr, ByteSetMiddle, BlankByteSet, ByteSetLength, PointerToByteSet, SetRandomSeed, RandomNumber,
    ReadConfigItem, WriteConfigItem, GetRunDirectory, MessageBox, LoadWindow, Destroy, GetWindowHandle,
    SetComponentFocus, SendWindowMessage, GetItemText, AddItem, Connect, SendData, GetReceivedData,
};

const rt::ComponentType kExtendedUi2Types[] = {
    {"超级按钮", "SuperBtn", kEvents, components::ImageButtonTypeInterface},
};

const rt::ComponentType kExtendedUi1Types[] = {
    {}, {}, {}, {},
    {"透明标签", "TransLabel", kEvents, components::TransLabelTypeInterface},
};

const rt::CommandFunction kXmlCommands[] = {LoadXml, GetNodeText, ReleaseXml};
const rt::CommandFunction kInternetCommands[] = {HttpReadFile};
const rt::CommandFunction kSystemCommands[] = {CreateShortcut, GetSpecialFolder, RunFile, ListProcesses};
const rt::CommandFunction kSpecialCommands[] = {Delay};

template <size_t N>
constexpr int Count(const rt::CommandFunction (&)[N]) { return static_cast<int>(N); }
template <size_t N>
constexpr int Count(const rt::ComponentType (&)[N]) { return static_cast<int>(N); }

const rt::SupportLibrary kCore = {rt::kLibraryRecordFormat, "D09F2340818511D396F6AAF844C7E325", 5, 7, 0,
                                  "系统核心支持库", Count(kCoreCommands), kCoreCommands, Count(kCoreTypes),
                                  kCoreTypes, nullptr};
const rt::SupportLibrary kExtendedUi2 = {rt::kLibraryRecordFormat, "4BB4003860154917BC7D8230BF4FA58A", 2, 0, 0,
                                         "扩展界面支持库二", 0, nullptr, Count(kExtendedUi2Types), kExtendedUi2Types,
                                         nullptr};
const rt::SupportLibrary kXml = {rt::kLibraryRecordFormat, "5D6A5E3B9F1C4D2E8A7B6C5D4E3F2A1B", 2, 2, 0,
                                 "XML解析支持库", Count(kXmlCommands), kXmlCommands, 0, nullptr, nullptr};
const rt::SupportLibrary kInternet = {rt::kLibraryRecordFormat, "707CA37322474F6C8841D8F0C1E1D8BA", 2, 0, 0,
                                      "互联网支持库", Count(kInternetCommands), kInternetCommands, 0, nullptr, nullptr};
const rt::SupportLibrary kSystemInterface = {rt::kLibraryRecordFormat, "F7FC1AE45C5C4758AF03EF19F18A395D", 3, 0, 0,
                                             "操作系统界面功能支持库", Count(kSystemCommands), kSystemCommands, 0,
                                             nullptr, nullptr};
const rt::SupportLibrary kSpecial = {rt::kLibraryRecordFormat, "A512548E76954B6E92C21055517615B0", 3, 1, 0,
                                     "特殊功能支持库", Count(kSpecialCommands), kSpecialCommands, 0, nullptr, nullptr};
const rt::SupportLibrary kApplicationInterface = {rt::kLibraryRecordFormat, "F3B23CF1E2A64A8D9C1B5E7A0D2C4F68", 3, 1,
                                                  0, "应用接口支持库", 0, nullptr, 0, nullptr, nullptr};
const rt::SupportLibrary kExtendedUi1 = {rt::kLibraryRecordFormat, "9DA96BF9CEBD45C5BFCF94CBE61671F5", 2, 0, 0,
                                         "扩展界面支持库一", 0, nullptr, Count(kExtendedUi1Types), kExtendedUi1Types,
                                         nullptr};

const rt::SupportLibrary* const kTable[rt::kSupportLibraryCount] = {
    &kCore, &kExtendedUi2, &kXml, &kInternet, &kSystemInterface, &kSpecial, &kApplicationInterface, &kExtendedUi1,
};

}  // namespace

const rt::SupportLibrary* const* SupportLibraryTable() { return kTable; }

}  // namespace services
