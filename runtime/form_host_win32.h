// What the message loop and the shutdown need from the form registry.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rt {

// Reads the window template into the registry; false when it is damaged.
bool LoadFormTemplate(const uint8_t* data, uint32_t length, uintptr_t userCodeBase);
// The first form whose window exists stops the walk.
bool AnyFormWindowExists();
// Destroys every loaded form window, freeing accelerators and unit cursors.
void UnloadAllForms();
// Offers a message to the component objects from its window up the parent
// chain; true when one consumed it.
bool PreTranslateFormMessage(MSG& message);
// Idle work of the loaded form windows not yet done in this idle period.
bool RunFormIdleWork(DWORD elapsedMilliseconds);

}  // namespace rt
