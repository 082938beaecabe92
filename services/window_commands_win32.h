// Core commands on windows and components: load, destroy, handle, focus,
// messages and combo-box items. Component arguments are references (form id,
// unit id).
#pragma once

#include "runtime/value_record.h"

namespace services {

void LoadWindow(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
void Destroy(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
void GetWindowHandle(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
void SetComponentFocus(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
void SendWindowMessage(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
void GetItemText(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
void AddItem(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);

}  // namespace services
