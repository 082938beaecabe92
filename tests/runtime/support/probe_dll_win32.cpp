#include "support/probe_dll_win32.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace rt::testing {
namespace {

constexpr DWORD kFileAlignment = 0x200;
constexpr DWORD kSectionRva = 0x1000;
// Layout of the single section, as offsets from its start.
constexpr DWORD kCode = 0x00;
constexpr DWORD kExportDirectory = 0x10;
constexpr DWORD kFunctions = 0x40;
constexpr DWORD kNames = 0x44;
constexpr DWORD kOrdinals = 0x48;
constexpr DWORD kLibraryName = 0x50;
constexpr DWORD kExportName = 0x70;
constexpr DWORD kSectionUsed = 0x90;

// The DLL is built for the test's own machine: PE32 (i386) or PE32+ (x86_64).
// Its one function, "mov eax, n; ret", is the same bytes on both.
#if defined(_WIN64)
using NtHeaders = IMAGE_NT_HEADERS64;
using OptionalHeader = IMAGE_OPTIONAL_HEADER64;
constexpr WORD kMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr WORD kOptionalMagic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
constexpr WORD kMachineCharacteristic = IMAGE_FILE_LARGE_ADDRESS_AWARE;
#else
using NtHeaders = IMAGE_NT_HEADERS32;
using OptionalHeader = IMAGE_OPTIONAL_HEADER32;
constexpr WORD kMachine = IMAGE_FILE_MACHINE_I386;
constexpr WORD kOptionalMagic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
constexpr WORD kMachineCharacteristic = IMAGE_FILE_32BIT_MACHINE;
#endif

template <typename T>
void Put(std::vector<uint8_t>& image, DWORD offset, const T& value) {
    std::memcpy(image.data() + offset, &value, sizeof value);
}

}  // namespace

bool WriteProbeDll(const std::wstring& path) {
    std::vector<uint8_t> image(2 * kFileAlignment, 0);

    IMAGE_DOS_HEADER dos{};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfanew = sizeof dos;
    Put(image, 0, dos);

    NtHeaders nt{};
    nt.Signature = IMAGE_NT_SIGNATURE;
    nt.FileHeader.Machine = kMachine;
    nt.FileHeader.NumberOfSections = 1;
    nt.FileHeader.SizeOfOptionalHeader = sizeof(OptionalHeader);
    nt.FileHeader.Characteristics = IMAGE_FILE_EXECUTABLE_IMAGE | kMachineCharacteristic | IMAGE_FILE_DLL;
    OptionalHeader& optional = nt.OptionalHeader;
    optional.Magic = kOptionalMagic;
    optional.SizeOfCode = kFileAlignment;
    optional.BaseOfCode = kSectionRva;
    optional.ImageBase = 0x6A000000;
    optional.SectionAlignment = 0x1000;
    optional.FileAlignment = kFileAlignment;
    optional.MajorOperatingSystemVersion = 4;
    optional.MajorSubsystemVersion = 4;
    optional.SizeOfImage = 2 * 0x1000;
    optional.SizeOfHeaders = kFileAlignment;
    optional.Subsystem = IMAGE_SUBSYSTEM_WINDOWS_GUI;
    optional.SizeOfStackReserve = 0x100000;
    optional.SizeOfStackCommit = 0x1000;
    optional.SizeOfHeapReserve = 0x100000;
    optional.SizeOfHeapCommit = 0x1000;
    optional.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT] = {kSectionRva + kExportDirectory,
                                                            kSectionUsed - kExportDirectory};
    Put(image, sizeof dos, nt);

    IMAGE_SECTION_HEADER section{};
    std::memcpy(section.Name, ".text", 5);
    section.Misc.VirtualSize = kSectionUsed;
    section.VirtualAddress = kSectionRva;
    section.SizeOfRawData = kFileAlignment;
    section.PointerToRawData = kFileAlignment;
    section.Characteristics = IMAGE_SCN_CNT_CODE | IMAGE_SCN_MEM_EXECUTE | IMAGE_SCN_MEM_READ;
    Put(image, sizeof dos + sizeof nt, section);

    const DWORD base = kFileAlignment;
    const uint8_t code[] = {0xB8, static_cast<uint8_t>(kProbeExportResult), 0, 0, 0, 0xC3};  // mov eax, n; ret
    std::memcpy(image.data() + base + kCode, code, sizeof code);

    IMAGE_EXPORT_DIRECTORY exports{};
    exports.Name = kSectionRva + kLibraryName;
    exports.Base = 1;
    exports.NumberOfFunctions = 1;
    exports.NumberOfNames = 1;
    exports.AddressOfFunctions = kSectionRva + kFunctions;
    exports.AddressOfNames = kSectionRva + kNames;
    exports.AddressOfNameOrdinals = kSectionRva + kOrdinals;
    Put(image, base + kExportDirectory, exports);
    Put(image, base + kFunctions, DWORD{kSectionRva + kCode});
    Put(image, base + kNames, DWORD{kSectionRva + kExportName});
    Put(image, base + kOrdinals, WORD{0});
    std::strcpy(reinterpret_cast<char*>(image.data() + base + kLibraryName), "lumadrel_probe.dll");
    std::strcpy(reinterpret_cast<char*>(image.data() + base + kExportName), kProbeExportName);

    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &written, nullptr) &&
              written == image.size();
    CloseHandle(file);
    return ok;
}

}  // namespace rt::testing
