// The launcher's calls into the runtime's command libraries: each builds the
// value records of one command, calls it through the library-command entry
// and hands back its result. Texts and byte sets returned are the caller's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "launcher/text_commands.h"

namespace launcher {

// Message box; a null title omits the argument (the default title).
int32_t ShowMessage(const char* content, int32_t flags, const char* title = nullptr);

// Windows and components.
bool LoadWindow(uint32_t formId, bool modal);
void Destroy(uint32_t formId);
int32_t GetWindowHandle(uint32_t formId, uint32_t unitId);
void SetComponentFocus(uint32_t formId, uint32_t unitId, uint32_t typeReference);
int32_t SendWindowMessage(uint32_t formId, uint32_t unitId, uint32_t message, int32_t wParam, int32_t lParam);
char* GetItemText(uint32_t formId, uint32_t unitId, int32_t index);
int32_t AddItem(uint32_t formId, uint32_t unitId, const char* text);

// Properties by number.
char* ReadTextProperty(uint32_t formId, uint32_t unitId, int32_t property);
void WriteTextProperty(uint32_t formId, uint32_t unitId, int32_t property, const char* text);
int32_t ReadIntegerProperty(uint32_t formId, uint32_t unitId, int32_t property);
void WriteIntegerProperty(uint32_t formId, uint32_t unitId, int32_t property, int32_t value);
bool FormLoaded(uint32_t formId);

// The game-server connection (客户 on the main window).
bool ConnectToServer(const char* address, int32_t port);
bool SendRequest(const char* request);
uint8_t* GetReceivedData();

// Files, folders, processes and the network.
char* GetRunDirectory();
char* ReadConfigItem(const char* file, const char* section, const char* key);
bool WriteConfigItem(const char* file, const char* section, const char* key, const char* value);
char* GetSpecialFolder(int32_t code);
bool CreateShortcut(const char* link, const char* target);
int32_t RunFile(int32_t operation, const char* file, const char* parameters);
void Delay(int32_t milliseconds);
uint8_t* HttpReadFile(const char* url);

// The update document.
class XmlTree {
public:
    XmlTree();
    ~XmlTree();
    bool Load(const uint8_t* byteSet);
    char* NodeText(const char* path);
    bool Release();

private:
    void* holder_;
};

}  // namespace launcher
