// Support-library records: each library contributes commands and component
// types through one record, and reaches the runtime only through the service
// function handed to it at start-up.
#pragma once

#include <cstdint>

#include "runtime/value_record.h"

namespace rt {

// Every command: (result record zeroed by the caller, argument count, first argument).
using CommandFunction = void (*)(ValueRecord* result, int argumentCount, ValueRecord* arguments);

// The runtime's single door for library code.
using ServiceFunction = intptr_t (*)(int request, intptr_t argument1, intptr_t argument2);

// Notification 1 hands over the service function; 6 announces the end of the program.
using NotifyFunction = intptr_t (*)(int notification, intptr_t argument1, intptr_t argument2);
constexpr int kNotifyServiceFunction = 1;
constexpr int kNotifyProgramEnding = 6;

// A component type: flags and an interface function that returns the function
// implementing a request (1 create, 4 set own property, 6 get own property).
using InterfaceFunction = void* (*)(int request);
constexpr uint32_t kTypeFlagCanRaiseEvents = 0x04;
constexpr uint32_t kTypeFlagCanRaiseEventsToo = 0x40;
constexpr uint32_t kTypeFlagPagedChildren = 0x100;
constexpr uint32_t kTypeFlagNeverShown = 0x8000;

struct ComponentType {
    const char* name;         // Chinese name
    const char* englishName;
    uint32_t flags;
    InterfaceFunction interfaceFunction;
};

struct SupportLibrary {
    uint32_t formatWord;  // 20000101
    const char* guid;     // 32 hexadecimal characters
    int majorVersion;
    int minorVersion;
    int buildNumber;
    const char* title;
    int commandCount;
    const CommandFunction* commands;
    int typeCount;
    const ComponentType* types;
    NotifyFunction notify;
};

constexpr uint32_t kLibraryRecordFormat = 20000101;
constexpr int kSupportLibraryCount = 8;

}  // namespace rt
